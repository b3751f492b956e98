A keyword that is no condition.
expect: templates/main.tpl:4:8: warning: 'PROJECTNAME' is no condition: it is never true
filesection: main
@IFDEF PROJECTNAME
@ENDIF
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
