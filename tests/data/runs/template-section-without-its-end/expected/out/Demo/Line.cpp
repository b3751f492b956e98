// Line
filesection: main
// main
