// Demo
// uses Draw
// uses Arc
