create_directory: "%PROJECTNAME%"
copy_file: %viewinc% "%PROJECTNAME%"
create_directory: "after"
