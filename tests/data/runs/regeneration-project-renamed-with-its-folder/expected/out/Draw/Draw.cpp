// Draw
// uses Line
// uses Arc
