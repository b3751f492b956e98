create_directory: "%PROJECTNAME%"
@FOR 0 TO ALL_ACTIONS
create_file: "%ACTIONNAME%.cpp" "action" "plugin.tpl"
