filesection: main
// %PROJECTNAME% for %APPINTERFACECLASSNAME%
filesectionend:
filesection: action
// action %ACDF_IDX%: %ACDF_NAME%
filesectionend:
