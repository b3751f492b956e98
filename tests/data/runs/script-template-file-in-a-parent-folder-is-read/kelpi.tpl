create_directory: "%PROJECTNAME%"
create_file: "a.cpp" "main" "..\outside.tpl"
