// Fuzzer of the configuration reader: record parsing, reference decoding,
// comment removal, user definitions and include files, driven through the
// record loop a client runs, with keys of every type registered. Also feeds
// the same text to the tagged message reader and writer. Everything is read
// from memory: the reader takes the text as it takes a file's text.
//
// Input: one option byte, then the configuration text, optionally followed by
// "|||" and a second text that serves as the user-definition file and as the
// include file. The configuration may name the include "inc" (the second
// text) or "self" (itself) inside INCLUDE, and "defs" inside USERDEFINITION.
#include <cstdint>
#include <cstring>
#include <string>

#include "qkcfgsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qkxmlsrv.h"

namespace {

// The configuration's name (no such file exists: the text is in memory).
constexpr const char* kMainName = "fuzz-main.xml";
std::string gMain, gDefs;

struct Key {
    const char* name;
    int type;
};
const Key kKeys[] = {
    {"MAINCFG", QKCFG_PACKAGE}, {"INCLUDE", QKCFG_PACKAGE}, {"USERDEFINITION", QKCFG_PACKAGE},
    {"LOGCFG", QKCFG_PACKAGE},  {"NAME", QKCFG_STRING},     {"PATH", QKCFG_STRING},
    {"SCANRATE", QKCFG_SHORT},  {"AUDIT", QKCFG_LONG},      {"GAIN", QKCFG_FLOAT},
    {"FLAG", QKCFG_BOOL},       {"S", QKCFG_STRING},        {"A", QKCFG_SHORT},
};

struct Client {
    qkcfgsrvInfo* r;
    int pkgTyp[128];
    int pkgNdx;
    qkcfgloopInfo loop;
    long sum;   // keeps the values in use
};

int top(const Client* c) { return c->pkgNdx >= 0 ? c->pkgTyp[c->pkgNdx] : 0; }

int onPkg(void* p)
{
    auto* c = static_cast<Client*>(p);
    if (c->r->state != 1 || c->r->ndx < 0) return 0;
    const qkcfgsrvArgInfo& a = c->r->argsPtr[c->r->ndx];
    if (a.type == QKCFG_PACKAGE) qkcfgstackpush(c->pkgTyp, &c->pkgNdx, 128, c->r->ndx + 1);
    return 0;
}

int onElem(void* p)
{
    auto* c = static_cast<Client*>(p);
    qkcfgsrvInfo* r = c->r;
    if (r->state != 1 || r->ndx < 0) return 0;
    const qkcfgsrvArgInfo& a = r->argsPtr[r->ndx];
    c->sum += a.val.sht + static_cast<long>(std::strlen(a.val.str)) + static_cast<long>(std::strlen(r->data));
    if (std::strcmp(a.name, "NAME") != 0) return 0;
    int t = top(c);
    if (t == 2) {   // INCLUDE
        if (std::strcmp(a.val.str, "inc") == 0) qkcfgreadincludetext(r, "inc", gDefs.data(), gDefs.size(), &c->loop);
        if (std::strcmp(a.val.str, "self") == 0) qkcfgreadincludetext(r, kMainName, gMain.data(), gMain.size(), &c->loop);
    } else if (t == 3 && std::strcmp(a.val.str, "defs") == 0) {   // USERDEFINITION
        qkstrset(r->defName, "defs");
        qkcfgsetuserdefs(r, gDefs.data(), gDefs.size());
    }
    return 0;
}

int onPkgEnd(void* p)
{
    auto* c = static_cast<Client*>(p);
    if (qkcfgpkgclose(c->r) >= 0) qkcfgstackpop(c->pkgTyp, &c->pkgNdx, -1);
    return 0;
}

void readConfig(int options)
{
    Client c{};
    c.pkgNdx = -1;
    c.r = static_cast<qkcfgsrvInfo*>(qksysMemAllocate(nullptr, sizeof(qkcfgsrvInfo)));
    std::memset(c.r, 0, sizeof *c.r);
    c.r->path = const_cast<char*>(kMainName);
    // Every audit line but the file copies (no log file is open: the lines
    // are formatted and dropped).
    qkcfgsetaudit(c.r, (options & 4) ? (0x7ff & ~QKCFG_AUD_COPY) : 0);
    for (const Key& k : kKeys) qkcfgaddxmltype(c.r, k.name, k.type);
    qkcfgsetdelm(c.r, 10);
    int flags = QKCFG_LOOP_LOGCOUNT;
    if (options & 1) flags |= QKCFG_LOOP_SKIPSHORT;
    if (options & 2) flags |= QKCFG_LOOP_BYCLOSETAG;
    c.loop = {&c, onPkg, onElem, onPkgEnd, flags, "fuzz"};
    qkcfgloadtext(c.r, gMain.data(), gMain.size(), &c.loop);
    qkcfgvalxmltype(c.r, c.r->ename);
    qkcfgfreemem(c.r);
    qksysMemFree(c.r);
}

void exerciseXml(const std::string& text)
{
    std::string v = text;
    qkxmldecode(v);
    char out[128];
    char name[128];
    if (qkxmlgetroot(text.c_str(), name, sizeof name) >= 0) {
        qkxmlgetval(name, text.c_str(), out, sizeof out);
        char elem[256];
        qkxmlgetelement(name, text.c_str(), elem, sizeof elem);
        char buf[1024];
        qkstrset(buf, text.c_str());
        qkxmladdbuf(name, "<X>1</X>", buf, sizeof buf, QKXML_BEFOREEND | QKXML_LAST | QKXML_LF);
        qkxmladdelement(name, "Y", buf, sizeof buf, QKXML_BEFOREEND);
        qkxmlinselement(name, "z", buf, sizeof buf, QKXML_CR);
        qkxmlsetptrtoelm(buf, name);
        qkxmlbldval(name, out, sizeof out, text.c_str(), QKXML_LF);
        qkxmlbldelmstart(name, buf, sizeof buf, QKXML_CR);
        qkxmlbldroot(buf, sizeof buf, name, QKXML_LF);
    }
    qkxmlgetversion(text.c_str(), out, sizeof out);
    for (unsigned char ch : text.substr(0, 8)) {
        qkxmlencodechar(ch, out, sizeof out);
        qkxmlencodenum(1 + (ch & 1), ch * 131, out, sizeof out);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 64 * 1024) return 0;
    int options = data[0];
    std::string in(reinterpret_cast<const char*>(data + 1), size - 1);
    size_t sep = in.find("|||");
    gMain = in.substr(0, sep);
    gDefs = sep == std::string::npos ? std::string() : in.substr(sep + 3);
    readConfig(options);
    exerciseXml(gMain);
    return 0;
}
