// Demo
// uses Line
