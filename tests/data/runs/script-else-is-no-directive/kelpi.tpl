create_directory: "%PROJECTNAME%"
@IFDEF ACDF_PROC_EXECUTE
@ELSE
@ENDIF
create_file: "a.cpp" "main" "plugin.tpl"
