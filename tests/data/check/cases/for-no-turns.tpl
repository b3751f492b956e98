@FOR over a keyword that counts nothing.
expect: templates/main.tpl:4:11: warning: 'KEL' counts no turns: the loop never runs
filesection: main
@FOR 0 TO KEL
@ENDFOR
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
