create_directory: "%PROJECTNAME%"
create_file: "f.txt" "main" "t.tpl"
