// action 1: "Arc"
