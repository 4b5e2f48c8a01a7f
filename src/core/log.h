// The diagnostic log: one text file in the temporary directory that records
// every step and failure of a start. It is deleted when the process ends
// normally, unless LANTOR_LOG or QUARROW_LOG is "yes" or an error was shown.
#pragma once

#if defined(_WIN32)
// msvcrt's printf, with its %I64d.
#define LOG_FORMAT(f, a) __attribute__((format(ms_printf, f, a)))
#else
#define LOG_FORMAT(f, a) __attribute__((format(printf, f, a)))
#endif

// Appends the formatted text and a line break. Safe to call from any thread.
void logMessage(const char* format, ...) LOG_FORMAT(1, 2);

// The same, with the prefix "ERROR: ".
void logError(const char* format, ...) LOG_FORMAT(1, 2);

// Keeps the log file at exit; returns its path, or null before the first call.
const char* keepLog();
