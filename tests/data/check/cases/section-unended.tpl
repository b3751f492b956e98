A section without filesectionend: is written on into the next one.
expect: templates/main.tpl:3:1: error: section 'main' has no filesectionend: line: the run writes on to the end of the file
filesection: main
// %PROJECTNAME%
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
