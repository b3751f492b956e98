// action 0: "../inside"
