create_file: "%PROJECTNAME%.cpp" "main" "plugin.tpl"
create_directory: "after"
