create_directory: "%PROJECTNAME%"
create_file: "a.cpp" "main" "plugin.tpl"
create_file: "a.cpp" "action" "plugin.tpl"
