create_directory: "kel"
