Template file of the Kel host's own files.

filesection: definition
; %PROJECTNAME%.def: the entry points that the Kel host looks up by name.
LIBRARY %PROJECTNAME%
EXPORTS
    KelPluginInfo
    KelPluginInit
    KelPluginExit
filesectionend:
