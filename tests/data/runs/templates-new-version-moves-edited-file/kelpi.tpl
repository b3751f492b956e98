create_directory: "%PROJECTNAME%"
create_directory: "%PROJECTNAME%\src"
copy_file: %piinc% "%PROJECTNAME%"
create_file: "%PROJECTNAME%.cpp" "main" "plugin.tpl"
@FOR 0 TO ALL_ACTIONS
create_file: "src\%ACTIONNAME%.cpp" "action" "plugin.tpl"
@ENDFOR
create_done:
