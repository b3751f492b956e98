create_directory: "%PROJECTNAME%"
