@FOR from a number other than 0, which is no keyword.
expect: templates/main.tpl:4:6: error: unknown keyword '1' as the first turn of @FOR (did you mean '0'?)
filesection: main
@FOR 1 TO ALL_ACTIONS
@ENDFOR
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
