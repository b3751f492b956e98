A filesection: without a name ends every search for a section.
alone: it ends every search for a section, so a name not found is reported with it
expect: templates/main.tpl:11:1: warning: filesection: without a name: no section after it can be found
filesection: main
// %PROJECTNAME%
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
filesection:
filesectionend:
