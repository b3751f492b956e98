A loop inside a loop: the inner @FOR would advance the outer loop.
expect: templates/main.tpl:5:1: error: @FOR inside the loop of line 4: loops do not nest
filesection: main
@FOR 0 TO ALL_ACTIONS
@FOR 0 TO ALL_ACTIONS
@ENDFOR
@ENDFOR
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
