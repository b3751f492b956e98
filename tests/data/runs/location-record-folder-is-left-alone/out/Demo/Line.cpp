// edited
