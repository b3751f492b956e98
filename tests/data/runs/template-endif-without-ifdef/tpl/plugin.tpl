filesection: main
before
@ENDIF
after
filesectionend:
filesection: action
// action %ACDF_IDX%: %ACDF_NAME%
filesectionend:
