// my own Draw
