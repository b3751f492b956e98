// Demo
// uses Line
// uses Arc
