create_directory: "%PROJECTNAME%"
copy_file: %vectorinc% "%PROJECTNAME%"
create_directory: "after"
