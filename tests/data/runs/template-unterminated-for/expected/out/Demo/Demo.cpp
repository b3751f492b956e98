before
// Line
