create_directory: "%PROJECTNAME%"
create_file: "open.cpp" "open" "plugin.tpl"
create_file: "other.cpp" "other" "plugin.tpl"
