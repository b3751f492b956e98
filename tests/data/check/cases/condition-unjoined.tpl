Two keywords of a condition list without ',' or '+'.
expect: templates/main.tpl:4:21: error: ',' (or) or '+' (and) is missing before 'CREATE_THREAD'
filesection: main
@IFDEF CREATE_PANEL CREATE_THREAD
@ENDIF
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
