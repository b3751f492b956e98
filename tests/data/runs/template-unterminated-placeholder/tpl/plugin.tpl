filesection: main
// %PROJECTNAME and 100%
// %%
filesectionend:
filesection: action
// action %ACDF_IDX%: %ACDF_NAME%
filesectionend:
