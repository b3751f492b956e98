outside %PROJECTNAME%
filesection: Header
// header of %PROJECTNAME%
filesectionend:
filesection: body
// body
