create_directory: "%PROJECTNAME%"
@FOR 0 TO ALL_ACTIONS
@ASSERT ACDF_PROC_CLOSE
@ENDFOR
create_file: "a.txt" "main" "plugin.tpl"
