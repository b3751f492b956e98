create_directory: "%PROJECTNAME%"
create_file: "a.txt" "main"
create_directory: "after"
