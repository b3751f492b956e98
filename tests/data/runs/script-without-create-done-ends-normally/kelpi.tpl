create_directory: "%PROJECTNAME%"
// only a comment

create_file: "m.txt" "main" "plugin.tpl"