@FOR without its bounds.
expect: templates/main.tpl:4:5: error: @FOR needs 'first TO kind', as in '@FOR 0 TO ALL_ACTIONS'
filesection: main
@FOR
@ENDFOR
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
