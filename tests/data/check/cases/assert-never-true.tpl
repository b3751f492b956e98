@ASSERT of a keyword that is no condition.
expect: templates/main.tpl:4:9: warning: 'PROJECTNAME' is no condition: the assertion always fails
filesection: main
@ASSERT PROJECTNAME
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
