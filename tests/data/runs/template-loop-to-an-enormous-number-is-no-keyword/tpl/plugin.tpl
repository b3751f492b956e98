filesection: main
@FOR 0 TO 99999999999999999999
// %ACTIONNAME%
@ENDFOR
after
filesectionend:
filesection: action
// action %ACDF_IDX%: %ACDF_NAME%
filesectionend:
