create_directory: ""
create_directory: "%PROJECTNAME%"
create_file: "a.cpp" "main" "plugin.tpl"
