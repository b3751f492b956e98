// shared
