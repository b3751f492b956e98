create_directory: "%PROJECTNAME%"
create_file: "/tmp/vantrel-escape.cpp" "main" "plugin.tpl"
