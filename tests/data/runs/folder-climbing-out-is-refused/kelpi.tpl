create_directory: "..\escaped"
create_directory: "after"
