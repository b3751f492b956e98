after
