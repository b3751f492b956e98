Template file of the Dov host's own files.

filesection: definition
; %PROJECTNAME%.def: the entry points that the Dov host looks up by name.
LIBRARY %PROJECTNAME%
EXPORTS
    DovPluginInfo
    DovPluginInit
    DovPluginExit
filesectionend:
