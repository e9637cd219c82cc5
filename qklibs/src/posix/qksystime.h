// qksystime: local wall-clock time for the log and the date-time services.
// The C library's thread-safe local-time conversion lives here so the portable
// modules need no POSIX headers.
#pragma once

#include <ctime>

// Local time now, with the milliseconds of the current second.
void qksystimenow(std::tm* local, int* milliseconds);
// Local time of a calendar time.
void qksystimelocal(std::time_t when, std::tm* local);
