A second section of a name: only the first is written.
expect: templates/main.tpl:10:14: warning: section 'MAIN' again: only the first, on line 3, is ever written
filesection: main
// %PROJECTNAME%
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
filesection: MAIN
filesectionend:
