An @ENDFOR without a loop.
expect: templates/main.tpl:4:1: error: @ENDFOR without @FOR
filesection: main
@ENDFOR
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
