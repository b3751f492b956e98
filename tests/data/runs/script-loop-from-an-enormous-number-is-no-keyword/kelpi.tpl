create_directory: "%PROJECTNAME%"
@FOR 99999999999999999999999 TO ALL_ACTIONS
create_file: "%ACTIONNAME%.cpp" "action" "plugin.tpl"
@ENDFOR
