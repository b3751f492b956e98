filesection: main
before
@FOR 0 TO ALL_ACTIONS
// %ACTIONNAME%
filesectionend:
filesection: action
// action %ACDF_IDX%: %ACDF_NAME%
filesectionend:
