create_directory: "%PROJECTNAME%"
copy_file: %nosuch% "%PROJECTNAME%"
