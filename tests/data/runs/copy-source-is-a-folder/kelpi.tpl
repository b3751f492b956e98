create_directory: "%PROJECTNAME%"
copy_file: %FOLDER% "%PROJECTNAME%"
create_directory: "after"
