filesection: action
// %ACTIONNAME%
filesection: main
// main
