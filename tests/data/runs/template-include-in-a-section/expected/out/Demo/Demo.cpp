before
