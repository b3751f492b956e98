A block that ends inside a loop it holds.
expect: templates/main.tpl:6:1: error: @ENDIF inside the loop of line 5 closes the @IFDEF of line 4 outside it: blocks and loops must nest
filesection: main
@IFDEF CREATE_PANEL
@FOR 0 TO ALL_ACTIONS
@ENDIF
@ENDFOR
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
