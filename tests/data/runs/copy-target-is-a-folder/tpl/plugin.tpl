filesection: main
// %PROJECTNAME%
filesectionend:
filesection: big
@FOR 0 TO ALL_ACTIONS
%BIGLINE%
@ENDFOR
