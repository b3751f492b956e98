An @IFNDEF that is never closed.
expect: templates/main.tpl:4:1: error: @IFNDEF without @ENDIF in section 'main'
filesection: main
@IFNDEF CREATE_PANEL
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
