filesection: main
// %PROJECTNAME% for %APPINTERFACECLASSNAME%
filesectionend:
filesection: action
// action %ACDF_IDX%: %ACDF_NAME%
// set 2
filesectionend:
