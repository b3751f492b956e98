create_directory: "%PROJECTNAME%"
copy_file: %piinc% "%PROJECTNAME%"
create_file: "%PROJECTNAME%.cpp" "main" "plugin.tpl"
@FOR 0 TO ALL_ACTIONS
create_file: "%ACTIONNAME%.cpp" "action" "plugin.tpl"
