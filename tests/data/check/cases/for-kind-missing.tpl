@FOR without the kind after TO.
expect: templates/main.tpl:4:10: error: @FOR needs a kind after 'TO'
filesection: main
@FOR 0 TO
@ENDFOR
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
