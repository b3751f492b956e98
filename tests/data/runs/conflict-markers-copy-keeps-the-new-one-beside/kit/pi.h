// pi
// kit 2
