// Arc
filesection: main
// main
