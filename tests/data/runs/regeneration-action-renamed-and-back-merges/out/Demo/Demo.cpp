// Demo
// uses Line
// uses Bow
