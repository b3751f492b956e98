A condition keyword misspelt.
expect: templates/main.tpl:4:21: error: unknown keyword 'CREATE_THREADS' in the condition list (did you mean 'CREATE_THREAD'?)
filesection: main
@IFDEF CREATE_PANEL,CREATE_THREADS
@ENDIF
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
