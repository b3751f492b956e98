create_directory: "%PROJECTNAME%"
create_file: "a.txt" "broken" "broken.tpl"
create_directory: "after"
