// extra
