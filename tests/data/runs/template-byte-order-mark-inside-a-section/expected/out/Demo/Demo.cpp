// Demo
