A section that no script writes.
expect: templates/main.tpl:10:14: warning: section 'spare' is written by no script
filesection: main
// %PROJECTNAME%
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
filesection: spare
filesectionend:
