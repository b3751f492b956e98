create_directory: "%PROJECTNAME%"
create_file: "" "main" "plugin.tpl"
