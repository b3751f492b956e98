A loop that ends inside a block it opened.
expect: templates/main.tpl:6:1: error: @ENDFOR while the @IFDEF of line 5 is open: blocks and loops must nest
filesection: main
@FOR 0 TO ALL_ACTIONS
@IFDEF CREATE_PANEL
@ENDFOR
@ENDIF
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
