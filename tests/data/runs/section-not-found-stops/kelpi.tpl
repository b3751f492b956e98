create_directory: "%PROJECTNAME%"
create_file: "a.txt" "nosuch" "plugin.tpl"
create_directory: "after"
