create_directory: "%PROJECTNAME%"
@FOR -5 TO ALL_ACTIONS
create_file: "%ACTIONNAME%.cpp" "action" "plugin.tpl"
@ENDFOR
