a much longer stale content than the new one
