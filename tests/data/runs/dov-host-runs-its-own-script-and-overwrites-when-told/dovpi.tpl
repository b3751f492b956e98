create_directory: "%PROJECTNAME%"
create_file: "d.txt" "main" "t.tpl"
