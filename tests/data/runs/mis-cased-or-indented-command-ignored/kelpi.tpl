create_directory: "%PROJECTNAME%"
Create_Directory: "a"
 create_directory: "b"
CREATE_FILE: "x" "main" "plugin.tpl"
