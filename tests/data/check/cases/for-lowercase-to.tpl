@FOR with 'to' for 'TO'.
expect: templates/main.tpl:4:8: error: @FOR needs 'TO' after '0', not 'to'
filesection: main
@FOR 0 to ALL_ACTIONS
@ENDFOR
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
