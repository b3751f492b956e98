filesection: main
@
@@
@ FOR
after
filesectionend:
filesection: action
// action %ACDF_IDX%: %ACDF_NAME%
filesectionend:
