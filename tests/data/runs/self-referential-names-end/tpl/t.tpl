filesection: main
[%ACTIONNAME%]
