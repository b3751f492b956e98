filesection: main
line one
line two
