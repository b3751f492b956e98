create_directory: "%PROJECTNAME%"
create_directory: "..\escaped\..\out\x"
create_directory: "after"
