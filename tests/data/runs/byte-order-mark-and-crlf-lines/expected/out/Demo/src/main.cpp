line one
line two
