@ASSERT of a keyword that does not exist.
expect: templates/main.tpl:4:9: error: unknown keyword 'PROC_EXECUTE' in @ASSERT
filesection: main
@ASSERT PROC_EXECUTE
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
