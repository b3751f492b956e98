create_directory: "%PROJECTNAME%"
create_file: "a.txt" "main" "sections.tpl"
create_file: "b.txt" "MAIN" "sections.tpl"
