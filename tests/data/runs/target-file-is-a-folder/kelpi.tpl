create_directory: "%PROJECTNAME%"
create_file: "a.txt" "main" "plugin.tpl"
create_directory: "after"
