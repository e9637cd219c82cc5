#include "qksystime.h"

#include <time.h>

void qksystimenow(std::tm* local, int* milliseconds)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    localtime_r(&now.tv_sec, local);
    if (milliseconds) *milliseconds = static_cast<int>(now.tv_nsec / 1000000);
}

void qksystimelocal(std::time_t when, std::tm* local) { localtime_r(&when, local); }
