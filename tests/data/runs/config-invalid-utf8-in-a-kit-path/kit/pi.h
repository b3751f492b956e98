// pi
