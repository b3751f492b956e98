An indented directive is text to the run.
expect: templates/main.tpl:4:3: warning: directives begin in the first column: the run writes this line into the file as it stands
filesection: main
  @IFDEF ACDF_MENU
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
