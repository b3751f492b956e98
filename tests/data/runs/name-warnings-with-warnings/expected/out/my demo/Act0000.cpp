// action 2: "Act0000"
