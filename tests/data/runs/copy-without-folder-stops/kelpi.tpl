create_directory: "%PROJECTNAME%"
copy_file: %piinc%
create_directory: "after"
