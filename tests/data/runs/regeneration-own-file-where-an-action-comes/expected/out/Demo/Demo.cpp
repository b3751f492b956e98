// Demo
// uses Line
// uses Arc
// uses Zoom
