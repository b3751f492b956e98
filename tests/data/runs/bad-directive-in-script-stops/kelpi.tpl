create_directory: "%PROJECTNAME%"
@BOGUS
create_directory: "after"
