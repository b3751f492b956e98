// old
