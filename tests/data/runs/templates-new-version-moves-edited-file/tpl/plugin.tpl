filesection: main
// %PROJECTNAME% for %APPINTERFACECLASSNAME%
filesectionend:
filesection: action
// action %ACDF_IDX%: %ACDF_NAME%
// written by plugin-templates 1.2
filesectionend:
