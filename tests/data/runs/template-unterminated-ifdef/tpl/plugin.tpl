filesection: main
before
@IFNDEF ACDF_PROC_EXECUTE
inner
filesectionend:
filesection: action
// action %ACDF_IDX%: %ACDF_NAME%
filesectionend:
