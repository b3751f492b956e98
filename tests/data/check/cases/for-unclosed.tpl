A @FOR without its @ENDFOR.
expect: templates/main.tpl:4:1: error: @FOR without @ENDFOR in section 'main'
filesection: main
@FOR 0 TO ALL_ACTIONS
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
