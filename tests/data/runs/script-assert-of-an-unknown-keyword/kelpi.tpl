create_directory: "%PROJECTNAME%"
@ASSERT NO_SUCH_KEYWORD
create_file: "a.cpp" "main" "plugin.tpl"
