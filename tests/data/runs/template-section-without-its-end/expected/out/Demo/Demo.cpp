// main
