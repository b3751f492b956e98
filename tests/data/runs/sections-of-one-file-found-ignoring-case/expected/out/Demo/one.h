// header of Demo
