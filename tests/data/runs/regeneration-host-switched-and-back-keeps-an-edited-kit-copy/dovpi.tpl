create_directory: "%PROJECTNAME%"
copy_file: %dovpiinc% "%PROJECTNAME%"
create_file: "%PROJECTNAME%.cpp" "main" "plugin.tpl"
