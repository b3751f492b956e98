create_directory: "%PROJECTNAME%"
@ENDFOR
create_file: "a.cpp" "main" "plugin.tpl"
