// action 1: "line"
