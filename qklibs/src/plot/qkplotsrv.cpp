// qkplotsrv: plot records, definition files, look-ups, data binding, scale
// settings and the window-level entry points (see the header).
#include "qkplotsrv.h"

#include <atomic>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "qkdrawsurface.h"
#include "qkplotelmsrv.h"
#include "qkplotpkgsrv.h"
#include "qksyssrv.h"
#include "qksysplotsrv.h"
#include "qkstrsrv.h"
#include "qkwincfgpathsrv.h"
#include "qkwinmsgbox.h"

namespace {

// The plot record created last (qkplotgetPtr).
std::atomic<qkplotInfo*> gqk_plotPtr{nullptr};

template <class T> T* grow(T*& table, int& cnt)
{
    if (cnt < 0) cnt = 0;
    table = static_cast<T*>(qksysMemAllocate(table, sizeof(T) * (static_cast<size_t>(cnt) + 1)));
    T* rec = &table[cnt];
    std::memset(static_cast<void*>(rec), 0, sizeof(T));
    ++cnt;
    return rec;
}

// The entry with id, without a report.
qkplotIDInfo* find(qkplotInfo* p, int id)
{
    if (p == nullptr || p->idPtr == nullptr || id < 1) return nullptr;
    for (int i = 0; i < p->cnt; ++i)
        if (p->idPtr[i].id == id) return &p->idPtr[i];
    return nullptr;
}

// Index + 1 of the first plot of item itemid, or 0; without a report.
int findItem(qkplotInfo* p, int itemid)
{
    if (p == nullptr || p->idPtr == nullptr) return 0;
    for (int i = 0; i < p->cnt; ++i)
        if (p->idPtr[i].id >= 1 && p->idPtr[i].itemid == itemid) return i + 1;
    return 0;
}

void releaseEntry(qkplotIDInfo* e)
{
    qksysMemFree(e->axisidPtr);
    qksysMemFree(e->commtidPtr);
    qksysMemFree(e->data.dataPtr);
    qksysplotfreemem(e->sysplotPtr);
    qkdatafreemem(&e->src.data);
    std::memset(static_cast<void*>(e), 0, sizeof *e);
}

void releaseReader(qkplotInfo* p)
{
    if (p->cfgPtr == nullptr) return;
    qkcfgfreemem(p->cfgPtr);
    qksysMemFree(p->cfgPtr);
    p->cfgPtr = nullptr;
}

// A double as float: values beyond the float range become infinite rather
// than an undefined conversion.
float toFloat(double v)
{
    if (v > FLT_MAX) return HUGE_VALF;
    if (v < -FLT_MAX) return -HUGE_VALF;
    return static_cast<float>(v);
}

// Range of the n values; present (may be null) marks the values a data file
// actually gave. The first value starts the range; a missing first value
// leaves it at 0. Values that are not finite (NaN, infinity) take no part, so
// one bad sample does not flatten the whole curve.
void computeRange(qkplotDataInfo& d, const std::vector<char>* present)
{
    d.max = d.min = 0.0f;
    d.maxndx = d.minndx = 0;
    bool started = false;
    for (int i = 0; i < d.cnt; ++i) {
        if (present != nullptr && !(*present)[static_cast<size_t>(i)]) {
            if (i == 0) started = true;
            continue;
        }
        float v = d.dataPtr[i];
        if (!std::isfinite(v)) continue;
        if (!started) {
            d.max = d.min = v;
            d.maxndx = d.minndx = i;
            started = true;
            continue;
        }
        if (v > d.max) {
            d.max = v;
            d.maxndx = i;
        }
        if (v < d.min) {
            d.min = v;
            d.minndx = i;
        }
    }
    d.absval = d.max - d.min;
}

// Replaces the float array with n + 1 zeroed values.
void newArray(qkplotDataInfo& d, int n)
{
    qksysMemFree(d.dataPtr);
    size_t size = sizeof(float) * (static_cast<size_t>(n) + 1);
    d.dataPtr = static_cast<float*>(qksysMemAllocate(nullptr, size));
    std::memset(d.dataPtr, 0, size);
    d.cnt = n;
}

// Reads the data file of e; present marks the lines that held a value.
int readDataFile(qkplotInfo* p, qkplotIDInfo* e, std::vector<char>& present)
{
    qkdatasrvInfo* rec = &e->src.data;
    qkdatafreemem(rec);
    e->src.dpPtr = rec;
    qkdatasetpath(rec, e->src.path);
    qkdatasetcomment(rec, "/*", "*/");
    int fields = 0;
    if (qkdatagetfile(rec) >= 0) {
        qkdatadelcomments(rec);
        qkdatafilter(rec, "\r");
        qkdatasetdelm(rec, 10);
        fields = qkdataparsebuf(rec);
    }
    if (fields <= 0) {
        qkdatafreemem(rec);
        e->src.dpPtr = nullptr;
        return qkplotmsg(p, e->id, QKPLOT_ERR_NODATA);
    }
    newArray(e->data, fields);
    present.assign(static_cast<size_t>(fields), 0);
    for (int i = 0; i < fields; ++i) {
        char field[33];
        qkstrset(field, rec->pndx[i]);
        qkstrTrim(field, ' ');
        qkstrTrim(field, '\t');
        if (field[0] == '\0') continue;
        e->data.dataPtr[i] = toFloat(std::strtod(field, nullptr));
        present[static_cast<size_t>(i)] = 1;
    }
    qkdatafreemem(rec);
    e->src.dpPtr = nullptr;
    return 0;
}

int memoryData(qkplotInfo* p, qkplotIDInfo* e)
{
    const qkplotDatasrcInfo& s = e->src;
    int n = e->data.cnt;
    const void* src = s.dataType == QKPLOT_DATA_SHORT    ? static_cast<const void*>(s.shtdataPtr)
                      : s.dataType == QKPLOT_DATA_LONG   ? static_cast<const void*>(s.lngdataPtr)
                      : s.dataType == QKPLOT_DATA_FLOAT  ? static_cast<const void*>(s.fltdataPtr)
                      : s.dataType == QKPLOT_DATA_DOUBLE ? static_cast<const void*>(s.dbldataPtr)
                                                         : nullptr;
    // A bound type without its array has nothing to copy.
    if (n <= 0 || (src == nullptr && s.dataType >= 1 && s.dataType <= 4)) return qkplotmsg(p, e->id, QKPLOT_ERR_NODATA);
    newArray(e->data, n);
    float* out = e->data.dataPtr;
    for (int i = 0; i < n; ++i) {
        switch (s.dataType) {
        case QKPLOT_DATA_SHORT: out[i] = s.shtdataPtr[i]; break;
        case QKPLOT_DATA_LONG: out[i] = static_cast<float>(s.lngdataPtr[i]); break;
        case QKPLOT_DATA_FLOAT: out[i] = s.fltdataPtr[i]; break;
        case QKPLOT_DATA_DOUBLE: out[i] = toFloat(s.dbldataPtr[i]); break;
        default: break;
        }
    }
    return 0;
}

// A window-level call holds the window's surface for all its steps; an error
// box asked for meanwhile waits until the surface is released (a box must not
// be shown while the window's picture is locked).
class HeldSurface {
public:
    HeldSurface(qkplotInfo* p, qkwinInfo* w) : p_(p), prev_(p->surfPtr)
    {
        if (prev_ == nullptr) {
            own_ = qkdrawopen(w);
            p_->surfPtr = own_.get();
        }
        p_->drawing++;
    }
    ~HeldSurface()
    {
        p_->drawing--;
        p_->surfPtr = prev_;
        own_.reset();
        if (p_->drawing == 0 && p_->pendmsg[0] != '\0') {
            char text[QKPLOT_TEXTSIZE];
            qkstrset(text, p_->pendmsg);
            p_->pendmsg[0] = '\0';
            qkwinmsgboxshow(p_->winPtr, QKWIN_MSG_ERROR, text);
        }
    }
    HeldSurface(const HeldSurface&) = delete;
    HeldSurface& operator=(const HeldSurface&) = delete;

private:
    qkplotInfo* p_;
    qkdrawSurface* prev_;
    std::unique_ptr<qkdrawSurface> own_;
};

}  // namespace

// ---- records ---------------------------------------------------------------------------

qkplotInfo* qkplotcreate()
{
    qklogTrace("qkplotcreate");
    auto* p = static_cast<qkplotInfo*>(qksysMemAllocate(nullptr, sizeof(qkplotInfo)));
    std::memset(static_cast<void*>(p), 0, sizeof *p);
    gqk_plotPtr.store(p, std::memory_order_release);
    return p;
}

qkplotInfo* qkplotgetPtr()
{
    qklogTrace("qkplotgetPtr");
    return gqk_plotPtr.load(std::memory_order_acquire);
}

qkplotInfo* qkwinplotcreate(qkwinInfo* window)
{
    qklogTrace("qkwinplotcreate");
    qkplotInfo* p = qkplotcreate();
    if (window != nullptr) {
        // A record the window had stays with whoever created it (a page keeps
        // several records bound to one window).
        window->plotPtr = p;
        p->winPtr = window;
        p->pkgPtr = window;
        p->scale = window->scale;
    }
    return p;
}

int qkwinplotfree(qkwinInfo* window)
{
    qklogTrace("qkwinplotfree");
    if (window == nullptr || window->plotPtr == nullptr) return -2;
    qkplotInfo* p = window->plotPtr;
    window->plotPtr = nullptr;
    return qkplotdestroy(p);
}

int qkplotdestroy(qkplotInfo* plot)
{
    qklogTrace("qkplotdestroy");
    if (plot == nullptr) return -2;
    qkplotfreemem(plot);
    releaseReader(plot);
    qkplotInfo* expected = plot;
    gqk_plotPtr.compare_exchange_strong(expected, nullptr);
    if (plot->winPtr != nullptr && plot->winPtr->plotPtr == plot) plot->winPtr->plotPtr = nullptr;
    qksysMemFree(plot);
    return 0;
}

int qkplotsetaudit(qkplotInfo* plot, int mask)
{
    qklogTrace("qkplotsetaudit");
    if (plot == nullptr) return -2;
    plot->audit = mask;
    return 0;
}

int qkplotsetmsgflg(qkplotInfo* plot, int flag)
{
    qklogTrace("qkplotsetmsgflg");
    if (plot == nullptr) return -2;
    plot->msgFlg = flag;
    return 0;
}

// ---- definition files ----------------------------------------------------------------------

namespace {

// The definition text: the plot's file when text is null, else len bytes
// already in memory.
struct Source {
    const char* text;
    size_t len;
};

int loadFrom(qkplotInfo* plot, Source src);

int readFrom(qkplotInfo* plot, Source src)
{
    if (plot == nullptr) return -2;
    releaseReader(plot);
    auto* r = static_cast<qkcfgsrvInfo*>(qksysMemAllocate(nullptr, sizeof(qkcfgsrvInfo)));
    std::memset(static_cast<void*>(r), 0, sizeof *r);
    r->path = plot->path;
    r->ndx = -1;
    plot->cfgPtr = r;
    int rc = qkplotcfgregister(plot);
    if (rc == 0) {
        qkplotcfgsetpkgfunc(plot);
        qkplotcfgsetelmfunc(plot);
        plot->actid = 0;
        rc = loadFrom(plot, src);
    }
    releaseReader(plot);
    return rc == 0 ? 0 : -2;
}

}  // namespace

int qkplotcfgread(qkplotInfo* plot)
{
    qklogTrace("qkplotcfgread");
    return readFrom(plot, Source{nullptr, 0});
}

int qkplotcfgreadtext(qkplotInfo* plot, const char* text, size_t len)
{
    qklogTrace("qkplotcfgreadtext");
    if (text == nullptr) return -2;
    return readFrom(plot, Source{text, len});
}

int qkplotcfgregister(qkplotInfo* plot)
{
    qklogTrace("qkplotcfgregister");
    if (plot == nullptr || plot->cfgPtr == nullptr) return -2;
    qkcfgsrvInfo* r = plot->cfgPtr;
    qkcfgsetdelm(r, 10);
    for (int i = 0; i < gqk_plotpkgdefcnt; ++i)
        if (qkcfgaddxmltype(r, gqk_plotpkgdefs[i].name, gqk_plotpkgdefs[i].type) != 0) return -2;
    for (int i = 0; i < gqk_plotelmdefcnt; ++i)
        if (qkcfgaddxmltype(r, gqk_plotelmdefs[i].name, gqk_plotelmdefs[i].type) != 0) return -2;
    return 0;
}

namespace {

int fillTable(qkcfgfuncInfo (&table)[QKWIN_PKGSTACK], const qkplotvocabdef* defs, int count)
{
    int n = 0;
    for (int i = 0; i < count && n < QKWIN_PKGSTACK; ++i, ++n) {
        table[n].id = n + 1;
        table[n].add = defs[i].add;
        qkstrset(table[n].name, defs[i].name);
    }
    for (int i = n; i < QKWIN_PKGSTACK; ++i) std::memset(&table[i], 0, sizeof table[i]);
    return n;
}

}  // namespace

int qkplotcfgsetpkgfunc(qkplotInfo* plot)
{
    qklogTrace("qkplotcfgsetpkgfunc");
    if (plot == nullptr) return -2;
    plot->cpkg.pkgCnt = fillTable(plot->cpkg.pkgFunc, gqk_plotpkgdefs, gqk_plotpkgdefcnt);
    return 0;
}

int qkplotcfgsetelmfunc(qkplotInfo* plot)
{
    qklogTrace("qkplotcfgsetelmfunc");
    if (plot == nullptr) return -2;
    plot->cpkg.elmCnt = fillTable(plot->cpkg.elmFunc, gqk_plotelmdefs, gqk_plotelmdefcnt);
    return 0;
}

void qkplotcfgloopinit(qkplotInfo* plot, qkcfgloopInfo* loop, const char* label)
{
    qklogTrace("qkplotcfgloopinit");
    if (loop == nullptr) return;
    loop->client = plot;
    loop->pkg = qkplotthunk<qkplotcfgpkg>;
    loop->elem = qkplotthunk<qkplotcfgelem>;
    loop->pkgend = qkplotthunk<qkplotcfgpkgend>;
    // Closing tags go to the package end, every other record (short ones
    // included) to the package and element dispatch.
    loop->flags = QKCFG_LOOP_BYCLOSETAG;
    loop->label = label;
}

int qkplotcfgload(qkplotInfo* plot)
{
    qklogTrace("qkplotcfgload");
    return loadFrom(plot, Source{nullptr, 0});
}

namespace {

int loadFrom(qkplotInfo* plot, Source src)
{
    if (plot == nullptr || plot->cfgPtr == nullptr) return -2;
    qkcfgsrvInfo* r = plot->cfgPtr;
    if (plot->audit & QKPLOT_AUD_FILE)
        qklogf("qkplotcfgload", "read config parameters for file: %s", r->path ? r->path : "");
    std::memset(plot->cpkg.pkgTyp, 0, sizeof plot->cpkg.pkgTyp);
    plot->cpkg.pkgNdx = 0;
    qkcfgloopInfo loop;
    qkplotcfgloopinit(plot, &loop, "qkplotcfgload");
    const int rc = src.text != nullptr ? qkcfgloadtext(r, src.text, src.len, &loop) : qkcfgload(r, &loop);
    if (rc != 0) return -2;
    if (plot->audit & QKPLOT_AUD_FILE) qklogf("qkplotcfgload", "processed: %d config parameters", r->cnt);
    return 0;
}

}  // namespace

// ---- tables -------------------------------------------------------------------------------------

int qkplotsetndx(qkplotInfo* plot)
{
    qklogTrace("qkplotsetndx");
    if (plot == nullptr) return -2;
    int ndx = plot->cnt;
    for (int i = 0; i < plot->cnt && plot->idPtr != nullptr; ++i)
        if (plot->idPtr[i].id < 1) {
            ndx = i;
            break;
        }
    if (ndx == plot->cnt) plot->cnt++;
    plot->ndx = ndx;
    if (plot->audit & QKPLOT_AUD_ALLOC) qklogf("qkplotsetndx", "cnt: %d,  ndx: %d", plot->cnt, plot->ndx);
    return 0;
}

int qkplotallocate(qkplotInfo* plot)
{
    qklogTrace("qkplotallocate");
    if (plot == nullptr || plot->cnt < 1 || plot->ndx < 0 || plot->ndx >= plot->cnt) return -2;
    plot->idPtr = static_cast<qkplotIDInfo*>(
        qksysMemAllocate(plot->idPtr, sizeof(qkplotIDInfo) * static_cast<size_t>(plot->cnt)));
    qkplotIDInfo* e = &plot->idPtr[plot->ndx];
    std::memset(static_cast<void*>(e), 0, sizeof *e);
    // Normally the new entry is the last one and its id the count; a slot
    // freed earlier keeps its own position as id, so ids stay unique.
    e->id = plot->ndx + 1;
    e->sysplotPtr = qksysplotallocate();
    e->sysplotPtr->hwnd = plot->winPtr;
    plot->actid = e->id;
    if (plot->audit & QKPLOT_AUD_ALLOC)
        qklogf("qkplotallocate", "count: %d, index: %d, ID: %d", plot->cnt, plot->ndx, e->id);
    return 0;
}

int qkplotaxisallocate(qkplotInfo* plot)
{
    qklogTrace("qkplotaxisallocate");
    qkplotIDInfo* e = qkplotcurrent(plot);
    if (e == nullptr) return -2;
    qkplotAxisInfo* a = grow(e->axisidPtr, e->axisCnt);
    a->id = e->id;
    if (plot->audit & QKPLOT_AUD_ALLOC) qklogf("qkplotaxisallocate", "Axis count: %d, ID: %d", e->axisCnt, a->id);
    return 0;
}

int qkplotcommentallocate(qkplotInfo* plot)
{
    qklogTrace("qkplotcommentallocate");
    qkplotIDInfo* e = qkplotcurrent(plot);
    if (e == nullptr) return -2;
    qkplotCommentInfo* c = grow(e->commtidPtr, e->commtCnt);
    c->id = e->id;
    if (plot->audit & QKPLOT_AUD_ALLOC)
        qklogf("qkplotcommentallocate", "Comment count: %d, ID: %d", e->commtCnt, c->id);
    return 0;
}

// ---- look-ups -----------------------------------------------------------------------------------

qkplotIDInfo* qkplotgetIDpointer(qkplotInfo* plot, int id)
{
    qklogTrace("qkplotgetIDpointer");
    qkplotIDInfo* e = find(plot, id);
    if (e == nullptr) {
        qkplotmsg(plot, id, QKPLOT_ERR_ID);
        return nullptr;
    }
    if (plot->audit & QKPLOT_AUD_LOOKUP) qklogf("qkplotgetIDpointer", "plot id: %d, item id: %d", id, e->itemid);
    return e;
}

int qkplotgetIDbyItemID(qkplotInfo* plot, int itemid)
{
    qklogTrace("qkplotgetIDbyItemID");
    int k = findItem(plot, itemid);
    if (k == 0) return qkplotmsg(plot, itemid, QKPLOT_ERR_ID);
    if (plot->audit & QKPLOT_AUD_LOOKUP) qklogf("qkplotgetIDbyItemID", "item id: %d, plot index: %d", itemid, k);
    return k;
}

qkplotSizeInfo* qkplotgetsize(qkplotInfo* plot, int id)
{
    qklogTrace("qkplotgetsize");
    qkplotIDInfo* e = find(plot, id);
    return e ? &e->size : nullptr;
}

qkplotIDInfo* qkplotcurrent(qkplotInfo* plot)
{
    qklogTrace("qkplotcurrent");
    return find(plot, plot ? plot->actid : 0);
}

int qkplotfreeplot(qkplotInfo* plot, int id)
{
    qklogTrace("qkplotfreeplot");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    releaseEntry(e);
    if (plot->actid == id) plot->actid = 0;
    return 0;
}

int qkplotfreemem(qkplotInfo* plot)
{
    qklogTrace("qkplotfreemem");
    if (plot == nullptr) return -2;
    for (int i = 0; i < plot->cnt && plot->idPtr != nullptr; ++i) releaseEntry(&plot->idPtr[i]);
    qksysMemFree(plot->idPtr);
    plot->idPtr = nullptr;
    plot->cnt = 0;
    plot->ndx = 0;
    plot->actid = 0;
    return 0;
}

int qkplotmsg(qkplotInfo* plot, int id, int code)
{
    qklogTrace("qkplotmsg");
    char text[QKPLOT_TEXTSIZE];
    switch (code) {
    case QKPLOT_ERR_ID: qkstrfmt(text, sizeof text, "plot id: %d\n could not find ID pointer", id); break;
    case QKPLOT_ERR_NODATA: qkstrfmt(text, sizeof text, "plot id: %d\n No data", id); break;
    case QKPLOT_ERR_SOURCE: qkstrfmt(text, sizeof text, "plot id: %d\n data source", id); break;
    case QKPLOT_ERR_SCALETYPE: qkstrfmt(text, sizeof text, "plot id: %d\n unsupported scale type", id); break;
    case QKPLOT_ERR_DATATYPE: qkstrfmt(text, sizeof text, "plot id: %d\n unsupported data type", id); break;
    case QKPLOT_ERR_INDEX: qkstrfmt(text, sizeof text, "plot id: %d\n could not find index", id); break;
    case QKPLOT_ERR_ITEMID: qkstrfmt(text, sizeof text, "plot id: %d\n could not find item ID", id); break;
    default: qkstrfmt(text, sizeof text, "plot id: %d unknown error", id); break;
    }
    if (plot == nullptr || plot->msgFlg == 0) {
        qklogf("qkplotmsg", "%s", text);
    } else if (plot->drawing > 0) {
        qklogf("qkplotmsg", "%s", text);
        if (plot->pendmsg[0] == '\0') qkstrset(plot->pendmsg, text);
    } else {
        // The error box writes its text to the log itself.
        qkwinmsgboxshow(plot->winPtr, QKWIN_MSG_ERROR, text);
    }
    return -2;
}

// ---- data binding -------------------------------------------------------------------------------

int qkplotsetdatasrc(qkplotInfo* plot, int id, int source)
{
    qklogTrace("qkplotsetdatasrc");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    if (source != QKPLOT_SRC_FILE && source != QKPLOT_SRC_MEMORY) {
        e->src.srcType = 0;
        return qkplotmsg(plot, id, QKPLOT_ERR_SOURCE);
    }
    e->src.srcType = source;
    return 0;
}

int qkplotsetdatatype(qkplotInfo* plot, int id, int type)
{
    qklogTrace("qkplotsetdatatype");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    if (type < QKPLOT_DATA_SHORT || type > QKPLOT_DATA_DOUBLE) {
        e->src.dataType = 0;
        return qkplotmsg(plot, id, QKPLOT_ERR_DATATYPE);
    }
    e->src.dataType = type;
    return 0;
}

int qkplotsetdataptr(qkplotInfo* plot, int id, const void* data)
{
    qklogTrace("qkplotsetdataptr");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    qkplotDatasrcInfo& s = e->src;
    switch (s.dataType) {
    case QKPLOT_DATA_SHORT: s.shtdataPtr = static_cast<const int16_t*>(data); break;
    case QKPLOT_DATA_LONG: s.lngdataPtr = static_cast<const int32_t*>(data); break;
    case QKPLOT_DATA_FLOAT: s.fltdataPtr = static_cast<const float*>(data); break;
    case QKPLOT_DATA_DOUBLE: s.dbldataPtr = static_cast<const double*>(data); break;
    default: return qkplotmsg(plot, id, QKPLOT_ERR_DATATYPE);
    }
    return 0;
}

int qkplotsetdatacnt(qkplotInfo* plot, int id, int count)
{
    qklogTrace("qkplotsetdatacnt");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    e->data.cnt = count;
    return 0;
}

int qkplotsetdatapath(qkplotInfo* plot, int id, const char* path)
{
    qklogTrace("qkplotsetdatapath");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    qkstrset(e->src.path, path);
    return 0;
}

int qkplotsetBMPpath(qkplotInfo* plot, int id, const char* path)
{
    qklogTrace("qkplotsetBMPpath");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    qkstrset(e->path, path);
    return 0;
}

int qkplotsetcurvename(qkplotInfo* plot, int id, const char* name)
{
    qklogTrace("qkplotsetcurvename");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    qkstrset(e->data.name, name);
    return 0;
}

int qkplotsetcurvepen(qkplotInfo* plot, int id, int style, int width, int color)
{
    qklogTrace("qkplotsetcurvepen");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    e->data.pen.type = (style >= 2 && style <= 4) ? style : 1;
    e->data.pen.width = width;
    e->data.pen.color = color;
    return 0;
}

int qkplotgetdata(qkplotInfo* plot, int id)
{
    qklogTrace("qkplotgetdata");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    if (e->src.srcType == QKPLOT_SRC_FILE) {
        std::vector<char> present;
        if (readDataFile(plot, e, present) != 0) return -2;
        computeRange(e->data, &present);
        return 0;
    }
    if (e->src.srcType == QKPLOT_SRC_MEMORY) {
        if (memoryData(plot, e) != 0) return -2;
        computeRange(e->data, nullptr);
        return 0;
    }
    return qkplotmsg(plot, id, QKPLOT_ERR_SOURCE);
}

int qkplotreaddatafile(qkplotInfo* plot, int id)
{
    qklogTrace("qkplotreaddatafile");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    std::vector<char> present;
    return readDataFile(plot, e, present);
}

// ---- scaling ----------------------------------------------------------------------------------

int qkplotsetscaletype(qkplotInfo* plot, int id, int type)
{
    qklogTrace("qkplotsetscaletype");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    if (type == 1) {
        e->scale.autoFlg = 1;
        e->scale.userFlg = 0;
    } else if (type == 2) {
        e->scale.autoFlg = 0;
        e->scale.userFlg = 1;
    } else {
        qkplotmsg(plot, id, QKPLOT_ERR_SCALETYPE);
    }
    return 0;
}

int qkplotsetuscaleflags(qkplotInfo* plot, int id, int flag)
{
    qklogTrace("qkplotsetuscaleflags");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    if (flag == 2) {
        e->scale.userFlg = 1;
        e->scale.autoFlg = 0;
    } else if (flag == 1) {
        e->scale.userFlg = 0;
        e->scale.autoFlg = 1;
    }
    return 0;
}

int qkplotsetscalenormstate(qkplotInfo* plot, int id, int state)
{
    qklogTrace("qkplotsetscalenormstate");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    e->scale.normFlg = state;
    return 0;
}

int qkplotsetdatascalendx(qkplotInfo* plot, int id, int index)
{
    qklogTrace("qkplotsetdatascalendx");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    e->scale.index = index;
    return 0;
}

int qkplotinitdatascale(qkplotInfo* plot, int id)
{
    qklogTrace("qkplotinitdatascale");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    std::memset(&e->scale.x0, 0, sizeof e->scale.x0);
    std::memset(&e->scale.yl, 0, sizeof e->scale.yl);
    std::memset(&e->scale.yr, 0, sizeof e->scale.yr);
    return 0;
}

int qkplotsetdatascale(qkplotInfo* plot, int id, int axis, float max, float min)
{
    qklogTrace("qkplotsetdatascale");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    if (axis == 1 || axis == 2) {
        qkplotScaleOrdInfo& o = axis == 1 ? e->scale.yl : e->scale.yr;
        const qkplotUScaleOrdInfo& u = axis == 1 ? e->uscale.yl : e->uscale.yr;
        if (e->scale.userFlg == 1) {
            max = static_cast<float>(u.max);
            min = static_cast<float>(u.min);
        }
        o.max = max;
        o.min = min;
        o.absval = max - min;
        if (plot->audit & QKPLOT_AUD_SCALE)
            qklogf("qkplotsetdatascale", axis == 1 ? "scale yl max: %f, min: %f, absval: %f" : "scale yr max: %f, min: %f, absval: %f",
                   static_cast<double>(o.max), static_cast<double>(o.min), static_cast<double>(o.absval));
    } else if (axis == 3) {
        e->scale.x0.max = max;
        e->scale.x0.min = min;
        e->scale.x0.absval = max - min;
    }
    return 0;
}

int qkplotsetuscale(qkplotInfo* plot, int id, const int values[7])
{
    qklogTrace("qkplotsetuscale");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr || values == nullptr) return -2;
    e->uscale.x0.min = values[1];
    e->uscale.x0.max = values[2];
    e->uscale.yl.min = values[3];
    e->uscale.yl.max = values[4];
    e->uscale.yr.min = values[5];
    e->uscale.yr.max = values[6];
    e->uscale.uflag = 1;
    return 0;
}

int qkplotgetuscale(qkplotInfo* plot, int id, int out[7])
{
    qklogTrace("qkplotgetuscale");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr || out == nullptr) return -2;
    const qkplotUScaleInfo& u = e->uscale;
    const int v[7] = {u.uflag, u.x0.max, u.x0.min, u.yl.max, u.yl.min, u.yr.max, u.yr.min};
    std::memcpy(out, v, sizeof v);
    return 0;
}

int qkplotsetaxisformat(qkplotInfo* plot, int id, int type, int maxchar, const char* format)
{
    qklogTrace("qkplotsetaxisformat");
    qkplotIDInfo* e = qkplotgetIDpointer(plot, id);
    if (e == nullptr) return -2;
    for (int i = 0; i < e->axisCnt; ++i) {
        qkplotAxisInfo& a = e->axisidPtr[i];
        if (a.type != type) continue;
        qkstrset(a.format, format);
        a.maxchar = maxchar;
    }
    return 0;
}

// ---- window level -------------------------------------------------------------------------------

int qkwinplotdatadef(qkwinInfo* window, int id, int source, int type, const char* path)
{
    qklogTrace("qkwinplotdatadef");
    if (window == nullptr || window->plotPtr == nullptr) return -2;
    qkplotInfo* p = window->plotPtr;
    if (qkplotgetIDpointer(p, id) == nullptr) return -2;
    if (path != nullptr) qkplotsetdatapath(p, id, path);
    if (qkplotsetdatasrc(p, id, source) != 0) return -2;
    // A data file has no memory type to check.
    if (source == QKPLOT_SRC_MEMORY && qkplotsetdatatype(p, id, type) != 0) return -2;
    return qkplotgetdata(p, id);
}

int qkwinplotdspstatic(qkwinInfo* window, int itemid)
{
    qklogTrace("qkwinplotdspstatic");
    if (window == nullptr) return -2;
    qkplotInfo* p = window->plotPtr ? window->plotPtr : qkwinplotcreate(window);
    // The definition is read once per item: reading it again would only
    // append copies that no look-up ever finds (the first plot of an item wins).
    if (findItem(p, itemid) == 0) {
        const qkwincfgpathIDInfo* rec = qkwincfgpathgetIDptrByItemID(window, itemid);
        if (rec == nullptr || rec->path[0] == '\0') return qkplotmsg(p, itemid, QKPLOT_ERR_ITEMID);
        qkstrset(p->path, rec->path);
        qkplotcfgread(p);
    }
    int id = findItem(p, itemid);
    if (id == 0) return qkplotmsg(p, itemid, QKPLOT_ERR_ITEMID);
    p->actid = id;
    qksysplotsetinfo(p, window);
    HeldSurface held(p, window);
    int rc = qksysplotcreateregion(p, id);
    qksysplotgrid(p, id);
    qksysplotaxis(p, id, QKPLOT_AXIS_BOTTOM);
    qksysplotlabel(p, id, QKPLOT_AXIS_BOTTOM);
    qksysplotaxis(p, id, QKPLOT_AXIS_LEFT);
    qksysplotlabel(p, id, QKPLOT_AXIS_LEFT);
    qksysplotcomment(p, id);
    return rc;
}

int qkwinplotcurve(qkwinInfo* window, int id, const char* name, int color)
{
    qklogTrace("qkwinplotcurve");
    if (window == nullptr || window->plotPtr == nullptr) return -2;
    qkplotInfo* p = window->plotPtr;
    if (qkplotsetcurvename(p, id, name) != 0) return -2;
    qkplotsetcurvepen(p, id, 1, 2, color);
    HeldSurface held(p, window);
    return qksysplotdata(p, id);
}

int qkwinplotsavebmp(qkwinInfo* window, int itemid, const char* fileName)
{
    qklogTrace("qkwinplotsavebmp");
    if (window == nullptr || window->plotPtr == nullptr) return -2;
    qkplotInfo* p = window->plotPtr;
    int id = findItem(p, itemid);
    if (id == 0) return qkplotmsg(p, itemid, QKPLOT_ERR_ITEMID);
    qkplotsetBMPpath(p, id, fileName);
    HeldSurface held(p, window);
    return qksysplotcopyBMP(p, id);
}
