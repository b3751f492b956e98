// pi
// my kit tweak
