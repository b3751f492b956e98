create_directory: "%PROJECTNAME%"
copy_file: %piinc% "%PROJECTNAME%"
create_directory: "after"
