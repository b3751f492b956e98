filesection: main
first %PROJECTNAME%
@FOR 0 to ALL_ACTIONS
never
