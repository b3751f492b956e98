@ASSERT without its keyword.
expect: templates/main.tpl:4:8: error: @ASSERT needs a keyword
filesection: main
@ASSERT
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
