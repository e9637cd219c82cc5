// vxSpectraPage2fSrv: spectra of the 2F analyzers. Stored reference curves are
// loaded while the spectra profile is read (main thread); the curves that
// carry them are drawn like the analyzer's own, but never requested from it.
#include "vxSpectraPage2fSrv.h"

#include <cstdlib>
#include <cstring>

#include "qkfilesrv.h"
#include "qklogsrv.h"

int vxSPload2FdataFile(vxInfo* app, int32_t dpid, const char* path)
{
    qklogTrace("vxSPload2FdataFile");
    if (app == nullptr) return -2;
    const char* name = path ? path : "";
    int16_t* target = nullptr;
    switch (dpid) {
    case 400101: target = app->spData.hc12ach2odp; break;
    case 400102: target = app->spData.hc12ach2osp; break;
    case 400103: target = app->spData.hc12acco2; break;
    default:
        qklogf("vxSPload2FdataFile", "Unsupported dpid for: %s", name);
        return -2;
    }

    FILE* fp = name[0] ? qkfileopen(name, "r") : nullptr;
    if (fp == nullptr) {
        qklogf("vxSPload2FdataFile", "file read error for: %s", name);
        return -2;
    }

    char rec[1025];   // a record holds up to 1024 characters
    int n = 0;
    while (n < VX_REFSAMPLES) {
        int len = qkfilerdrec(fp, sizeof rec, rec, '\n');
        if (len <= 0) break;
        // The rest of an over-long line is no value of its own.
        bool cut = len == static_cast<int>(sizeof rec) - 1 && rec[len - 1] != '\n';
        if (cut) {
            char skip[256];
            int more;
            do {
                more = qkfilerdrec(fp, sizeof skip, skip, '\n');
            } while (more > 0 && skip[more - 1] != '\n');
        }
        for (char* p = rec; *p; ++p)
            if (*p == '\n' || *p == '\r') *p = '\0';
        // As atoi reads it: leading blanks skipped, no digits give 0; the value
        // is kept to its low 16 bits.
        long value = std::strtol(rec, nullptr, 10);
        target[n++] = static_cast<int16_t>(static_cast<int32_t>(value));
    }
    return qkfileclose(fp);
}
