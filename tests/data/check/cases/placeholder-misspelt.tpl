A misspelt placeholder stays in the output as written.
expect: templates/main.tpl:4:4: warning: '%PROJECTNAM%' names no keyword and no extra setting; it is written as it stands (did you mean '%PROJECTNAME%'?)
filesection: main
// %PROJECTNAM% by %COMPANY%
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
