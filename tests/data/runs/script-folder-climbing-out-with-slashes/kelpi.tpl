create_directory: "%PROJECTNAME%/../../escaped"
