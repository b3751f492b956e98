A condition list that begins with '+'.
expect: templates/main.tpl:4:9: error: a keyword is missing before '+'
filesection: main
@IFNDEF +KEL
@ENDIF
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
