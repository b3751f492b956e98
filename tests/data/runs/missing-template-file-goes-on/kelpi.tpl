create_directory: "%PROJECTNAME%"
create_file: "a.txt" "main" "absent.tpl"
create_file: "b.txt" "main" "plugin.tpl"
