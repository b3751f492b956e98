The clean template of the check cases; lines outside the sections are never read.
filesection: main
// %PROJECTNAME% by %COMPANY%
@FOR 0 TO ALL_ACTIONS
@IFDEF CREATE_PANEL,CREATE_THREAD
// %ACTIONNAME% has a panel or a thread
@ENDIF
@ENDFOR
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
