@FOR with a misspelt kind.
expect: templates/main.tpl:4:11: error: unknown keyword 'ALL_ACTION' in @FOR (did you mean 'ALL_ACTIONS'?)
filesection: main
@FOR 0 TO ALL_ACTION
@ENDFOR
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
