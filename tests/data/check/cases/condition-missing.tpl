@IFDEF without its condition list.
expect: templates/main.tpl:4:7: error: @IFDEF needs a condition list
filesection: main
@IFDEF
@ENDIF
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
