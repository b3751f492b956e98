An @IFDEF that is never closed.
expect: templates/main.tpl:4:1: error: @IFDEF without @ENDIF in section 'main'
filesection: main
@IFDEF CREATE_PANEL
// %ACTIONNAME%
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
