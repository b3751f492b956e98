first Demo
