// The ports' implementations live in win32/ and posix/.
