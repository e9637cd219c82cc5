// qkversion: the library's version and build-date texts.
#include "qkversion.h"

#include <cstdio>

#include "qklogsrv.h"
#include "qkstrsrv.h"

namespace {
constexpr const char* kVersion = "v.6.0.0";
constexpr const char* kBuildDate = "Apr 29 2017 14:11:08";
}  // namespace

char gqk_version[32];
char gqk_builddate[32];

int qkgetversion(char* buffer)
{
    qklogTrace("qkgetversion");
    qkstrlcpy(buffer, sizeof gqk_version, kVersion);
    return 0;
}

int qkgetverblddate(char* buffer)
{
    qklogTrace("qkgetverblddate");
    qkstrlcpy(buffer, sizeof gqk_builddate, kBuildDate);
    return 0;
}

void qkloadverblddate()
{
    qklogTrace("qkloadverblddate");
    qkgetversion(gqk_version);
    qkgetverblddate(gqk_builddate);
}

void qkprtverblddate()
{
    qklogTrace("qkprtverblddate");
    qkloadverblddate();
    std::printf(" QK Library version: %s\n    Build date: %s\n", gqk_version, gqk_builddate);
}

void qklogverblddate()
{
    qklogTrace("qklogverblddate");
    qkloadverblddate();
    qklogf("qklogverblddate", " QK library version: %s,  Build date: %s", gqk_version, gqk_builddate);
}
