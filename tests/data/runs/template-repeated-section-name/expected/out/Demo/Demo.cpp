// first
