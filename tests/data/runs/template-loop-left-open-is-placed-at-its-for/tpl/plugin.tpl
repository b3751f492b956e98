filesection: open
// %PROJECTNAME%
@FOR 0 TO ALL_ACTIONS
x
filesectionend:
filesection: other
y
@FOR 0 TO ALL_ACTIONS
z
@ENDFOR
filesectionend:
