outside
filesection: Main
first
filesectionend:
filesection: main
second
