create_directory: "%PROJECTNAME%"
create_file: "aÃ(ÿ.cpp" "main" "plugin.tpl"
