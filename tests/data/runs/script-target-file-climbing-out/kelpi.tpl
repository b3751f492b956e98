create_directory: "%PROJECTNAME%"
create_file: "..\..\escaped.cpp" "main" "plugin.tpl"
