filesection: main
// %PROJECTNAME%
@FOR 0 TO ALL_ACTIONS
// uses %ACTIONNAME%
@ENDFOR
filesectionend:
filesection: action
// action %ACDF_NAME%
void run()
{
}
// last of %ACDF_NAME%
filesectionend:
