create_directory: "%PROJECTNAME%"
@INCLUDE other.tpl
create_file: "a.cpp" "main" "plugin.tpl"
