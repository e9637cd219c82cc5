// vxMonitorPageSrv: the monitor page. The monitor profiles are filled by the
// configuration reader on the main thread; the page reads them when it writes
// its header line.
#include "vxMonitorPageSrv.h"

#include <cstring>

#include "qklogsrv.h"
#include "qksyssrv.h"

int vxMonProfileRegister(vxMonitorMode1Info* mode1)
{
    qklogTrace("vxMonProfileRegister");
    if (mode1 == nullptr) return -2;
    mode1->ndx = mode1->cnt;
    size_t want = sizeof(vxMonitorMode1Data) * static_cast<size_t>(mode1->cnt + 1);
    mode1->idPtr = static_cast<vxMonitorMode1Data*>(qksysMemAllocate(mode1->idPtr, want));
    vxMonitorMode1Data* entry = &mode1->idPtr[mode1->ndx];
    std::memset(entry, 0, sizeof *entry);
    mode1->cnt++;
    entry->id = mode1->cnt;
    return 0;
}
