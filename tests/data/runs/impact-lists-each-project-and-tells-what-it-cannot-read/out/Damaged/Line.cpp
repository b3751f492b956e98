// action 0: "Line"
