create_directory: "%PROJECTNAME%"
copy_file: %piinc% "/tmp"
