@INCLUDE is known but not carried out.
expect: templates/main.tpl:4:1: error: @INCLUDE is not carried out: the run stops at it
filesection: main
@INCLUDE other.tpl
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
