// mine: kept through the move
// action 0: "Line"
