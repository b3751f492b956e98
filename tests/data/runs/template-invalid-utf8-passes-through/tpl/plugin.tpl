filesection: main
Ã( ÿþ %PROJECTNAME% í €
filesectionend:
filesection: action
// action %ACDF_IDX%: %ACDF_NAME%
filesectionend:
