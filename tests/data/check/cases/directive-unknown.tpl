A directive misspelt.
expect: templates/main.tpl:4:1: error: unknown directive '@IFDEFF' (did you mean '@IFDEF'?)
filesection: main
@IFDEFF CREATE_PANEL
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
