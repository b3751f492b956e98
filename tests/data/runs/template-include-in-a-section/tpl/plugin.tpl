filesection: main
before
@INCLUDE other.tpl
after
filesectionend:
filesection: action
// action %ACDF_IDX%: %ACDF_NAME%
filesectionend:
