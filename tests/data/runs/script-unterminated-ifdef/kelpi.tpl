create_directory: "%PROJECTNAME%"
@IFDEF ACDF_PROC_EXECUTE
create_file: "a.cpp" "main" "plugin.tpl"
