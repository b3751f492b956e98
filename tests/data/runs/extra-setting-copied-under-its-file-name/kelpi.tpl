create_directory: "%PROJECTNAME%"
copy_file: %MYKIT% "%PROJECTNAME%"
