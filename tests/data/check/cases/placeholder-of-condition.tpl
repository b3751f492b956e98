A condition used as a placeholder has no value.
expect: templates/main.tpl:4:8: warning: '%KEL%' has no value: KEL is a condition; it is written as it stands
filesection: main
// for %KEL% only, 100% of the time; printf("%s%d") is C
filesectionend:
filesection: action
// %ACTIONNAME%
@ASSERT ACDF_PROC_EXECUTE
filesectionend:
