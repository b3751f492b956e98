// mine
// action 0: "Line"
