create_directory: "%PROJECTNAME%"
create_done:
@BOGUS
create_directory: "late"
