create_directory: "/tmp/vantrel-escape"
