// edited by hand
