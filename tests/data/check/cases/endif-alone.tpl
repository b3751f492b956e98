An @ENDIF that closes nothing.
expect: templates/main.tpl:5:1: error: @ENDIF without @IFDEF or @IFNDEF
filesection: main
// text
@ENDIF
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
