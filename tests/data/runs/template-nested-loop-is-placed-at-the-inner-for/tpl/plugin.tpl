filesection: open
// %PROJECTNAME%
filesectionend:
filesection: other
y
@FOR 0 TO ALL_ACTIONS
@FOR 0 TO ALL_ACTIONS
z
@ENDFOR
@ENDFOR
filesectionend:
