// Configuration reader: value conversion, records and comments, malformed
// text, package handling through the record loop, include files, user
// definitions and audit copies. Files are real files in a temporary tree.
#include "qkcfgsrv.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "vxtestsupport.h"

namespace {

using namespace std::string_literals;

struct KeyDef {
    const char* name;
    int type;
    int code;   // package code pushed by the client
};

const KeyDef kKeys[] = {
    {"LOGCFG", QKCFG_PACKAGE, 1},   {"MAINCFG", QKCFG_PACKAGE, 4},
    {"INCLUDE", QKCFG_PACKAGE, 8},  {"USERDEFINITION", QKCFG_PACKAGE, 1000},
    {"NAME", QKCFG_STRING, 0},      {"SCANRATE", QKCFG_SHORT, 0},
    {"AUDIT", QKCFG_LONG, 0},       {"GAIN", QKCFG_FLOAT, 0},
    {"FLAG", QKCFG_BOOL, 0},        {"S", QKCFG_STRING, 0},
};

// A reader client like the main program: a package stack of codes and the
// three handlers, which write what they see into ev.
struct Client {
    qkcfgsrvInfo* r = nullptr;
    int pkgTyp[128] = {};
    int pkgNdx = -1;
    std::vector<std::string> ev;
    qkcfgloopInfo loop{};
};

int top(const Client* c) { return c->pkgNdx >= 0 ? c->pkgTyp[c->pkgNdx] : 0; }

int onPkg(void* p)
{
    auto* c = static_cast<Client*>(p);
    if (c->r->state != 1) return 0;
    const qkcfgsrvArgInfo& a = c->r->argsPtr[c->r->ndx];
    if (a.type != QKCFG_PACKAGE) return 0;
    for (const KeyDef& k : kKeys)
        if (std::strcmp(k.name, a.name) == 0) qkcfgstackpush(c->pkgTyp, &c->pkgNdx, 128, k.code);
    c->ev.push_back(std::string("+") + a.name);
    return 0;
}

int onElem(void* p)
{
    auto* c = static_cast<Client*>(p);
    qkcfgsrvInfo* r = c->r;
    if (r->state != 1) {
        c->ev.push_back(std::string("?") + r->ename);
        return 0;
    }
    const qkcfgsrvArgInfo& a = r->argsPtr[r->ndx];
    char v[160];
    switch (a.type) {
    case QKCFG_BOOL: qkstrfmt(v, sizeof v, "%d", a.val.bol); break;
    case QKCFG_SHORT: qkstrfmt(v, sizeof v, "%d", a.val.sht); break;
    case QKCFG_LONG: qkstrfmt(v, sizeof v, "%d", a.val.lng); break;
    case QKCFG_FLOAT: qkstrfmt(v, sizeof v, "%g", static_cast<double>(a.val.flt)); break;
    case QKCFG_STRING: qkstrset(v, a.val.str); break;
    default: return 0;
    }
    c->ev.push_back(std::string(a.name) + "=" + v);
    if (std::strcmp(a.name, "NAME") == 0 && top(c) == 8) qkcfgreadinclude(r, a.val.str, &c->loop);
    if (std::strcmp(a.name, "NAME") == 0 && top(c) == 1000) {
        qkstrset(r->defName, a.val.str);
        qkcfggetuserdefs(r);
    }
    return 0;
}

int onPkgEnd(void* p)
{
    auto* c = static_cast<Client*>(p);
    if (qkcfgpkgclose(c->r) >= 0) {
        qkcfgstackpop(c->pkgTyp, &c->pkgNdx, -1);
        c->ev.push_back(std::string("-") + (c->r->ename + 1));
    } else {
        c->ev.push_back(std::string("~") + c->r->ename);
    }
    return 0;
}

qkcfgsrvInfo* newReader(const char* path, int audit = 0)
{
    auto* r = static_cast<qkcfgsrvInfo*>(qksysMemAllocate(nullptr, sizeof(qkcfgsrvInfo)));
    std::memset(r, 0, sizeof *r);
    r->path = const_cast<char*>(path);
    qkcfgsetaudit(r, audit);
    for (const KeyDef& k : kKeys) qkcfgaddxmltype(r, k.name, k.type);
    qkcfgsetdelm(r, 10);
    return r;
}

void freeReader(qkcfgsrvInfo* r)
{
    qkcfgfreemem(r);
    qksysMemFree(r);
}

// Reads text as a configuration file with the client handlers; the log of the
// read is returned in log.
struct ReadResult {
    std::vector<std::string> ev;
    int status = 0;
    int cnt = 0;
    int pkgNdx = 0;
    std::string log;
};

ReadResult readText(vxtest::TempTree& tree, const std::string& text, int flags = 0, int audit = 0)
{
    std::string file = tree.write("cfg/main.xml", text);
    std::string logPath = tree.path("work/cfg.log");
    qklogopn(logPath.c_str());
    Client c;
    c.r = newReader(file.c_str(), audit);
    c.loop = {&c, onPkg, onElem, onPkgEnd, flags | QKCFG_LOOP_LOGCOUNT, "readText"};
    ReadResult run;
    run.status = qkcfgload(c.r, &c.loop);
    run.ev = c.ev;
    run.cnt = c.r->cnt;
    run.pkgNdx = c.pkgNdx;
    freeReader(c.r);
    qklogcls();
    run.log = vxtest::readFile(logPath);
    return run;
}

using Events = std::vector<std::string>;

TEST(QkCfgSrv, ConvertsValuesByType)
{
    struct Case {
        const char* record;
        const char* event;
    };
    const Case cases[] = {
        {"<SCANRATE>10</SCANRATE>", "SCANRATE=10"},
        {"<SCANRATE>0x10</SCANRATE>", "SCANRATE=16"},
        {"<SCANRATE>010</SCANRATE>", "SCANRATE=8"},
        {"<SCANRATE>-5</SCANRATE>", "SCANRATE=-5"},
        {"<SCANRATE>70000</SCANRATE>", "SCANRATE=4464"},          // 16-bit store
        {"<AUDIT>100000</AUDIT>", "AUDIT=100000"},
        {"<AUDIT>0x800</AUDIT>", "AUDIT=2048"},
        {"<AUDIT>0xFFFFFFFF</AUDIT>", "AUDIT=-1"},               // all 32 bits
        {"<AUDIT>-42</AUDIT>", "AUDIT=-42"},
        {"<GAIN>3.25</GAIN>", "GAIN=3.25"},
        {"<GAIN>-1e3</GAIN>", "GAIN=-1000"},
        {"<GAIN> +2.5x</GAIN>", "GAIN=2.5"},
        {"<GAIN>abc</GAIN>", "GAIN=0"},
        {"<FLAG></FLAG>", "FLAG=1"},
        {"<FLAG>0</FLAG>", "FLAG=1"},                             // a Bool key record always sets 1
        {"<FLAG>", "FLAG=1"},
        {"<S>hello world</S>", "S=hello world"},
        {"<S></S>", "S="},
        {"<S>no closing tag", "S="},                              // value needs both tags
        {"\t  <S>x</S>  \t", "S=x"},                              // trimmed
        {"<S>a</S> <S>b</S>", "S=a"},                             // first closing tag ends the value
        {"<S>&lt;b&gt;</S>", "S=<b>"},                            // references decoded
        {"<S>it&apos;s</S>", "S=it`s"},
        {"<S>&amp;lt;</S>", "S=<"},
        {"<S>&#65;&#x42;&#65;</S>", "S=A&#x42;A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record);
        vxtest::TempTree tree;
        ReadResult run = readText(tree, std::string(c.record) + "\n");
        EXPECT_EQ(run.ev, Events{c.event});
        EXPECT_EQ(run.cnt, 1);
    }
}

TEST(QkCfgSrv, CommentsLeadingBlankLinesAndLastLine)
{
    vxtest::TempTree tree;
    ReadResult run = readText(tree,
                       "\n  \n<!-- header comment\n spanning\n three lines -->\n"
                       "<?xml version=\"1.0\"?>\n"
                       "<MAINCFG>\n"
                       "<SCANRATE>1</SCANRATE><!-- inline -->\n"
                       "<!--a--><!--b--><AUDIT>2</AUDIT>\n"
                       "\n"
                       "</MAINCFG>\n"
                       "<SCANRATE>3</SCANRATE>");   // no line feed: not read
    Events want = {"~?xml version=\"1.0\"?", "+MAINCFG", "SCANRATE=1", "AUDIT=2", "~", "-MAINCFG"};
    EXPECT_EQ(run.ev, want);
    EXPECT_EQ(run.cnt, 3);
    EXPECT_EQ(run.pkgNdx, -1);
    EXPECT_EQ(vxtest::countLines(run.log, "readText: processed: 3 config parameters"), 1);
}

TEST(QkCfgSrv, ClosingTagsOfPackagesAndOtherNames)
{
    vxtest::TempTree tree;
    ReadResult run = readText(tree,
                       "<LOGCFG>\n<MAINCFG>\n</FOO>\n</SCANRATE>\n</MAINCFG>\n</MAINCFG>\n"
                       "</LOGCFG>\n</LOGCFG>\n<MAINCFG></MAINCFG>\n");
    // Every closing tag of a registered package pops the top, whatever it
    // holds; the stack never goes below empty.
    Events want = {"+LOGCFG", "+MAINCFG", "~/FOO", "~/SCANRATE", "-MAINCFG",
                   "-MAINCFG", "-LOGCFG", "-LOGCFG", "+MAINCFG"};
    EXPECT_EQ(run.ev, want);
    EXPECT_EQ(run.pkgNdx, 0);   // a one-line package opens; its own record does not close it
}

TEST(QkCfgSrv, MalformedTextStopsOrPassesSafely)
{
    struct Case {
        const char* name;
        std::string text;
        int flags;
        Events ev;
        const char* logLine;   // expected in the log, or null
    };
    const std::string s127(127, 'v'), s128(128, 'v');
    const Case cases[] = {
        {"127-char value", "<S>" + s127 + "</S>\n<FLAG>\n", 0, {"S=" + s127, "FLAG=1"}, nullptr},
        {"128-char value", "<FLAG>\n<S>" + s128 + "</S>\n<FLAG>\n", 0, {"FLAG=1"},
         "error string name: S, value to large"},
        {"128-char value of entities", "<S>" + std::string(127, 'v') + "&lt;</S>\n", 0, {},
         "error string name: S, value to large"},
        {"short value from long text", "<S>" + std::string(120, 'v') + "&amp;&amp;&amp;</S>\n", 0,
         {"S=" + std::string(120, 'v') + "&&&"}, nullptr},
        {"record without <", "<FLAG>\nplain text\n<FLAG>\n", 0, {"FLAG=1"}, nullptr},
        {"tag without >", "<FLAG>\n<S value\n<FLAG>\n", 0, {"FLAG=1", "~S value", "FLAG=1"}, nullptr},
        {"record of 1023", "<S>x</S>" + std::string(1014, ' ') + "x\n<FLAG>\n", 0, {"S=x", "FLAG=1"}, nullptr},
        {"record of 1024", "<S>x</S>" + std::string(1014, ' ') + "xx\n<FLAG>\n", 0, {},
         "record ndx: 1, length: 1024, record too long"},
        {"name of 127", "<" + s127 + ">\n<FLAG>\n", 0, {"~" + s127, "FLAG=1"}, nullptr},
        {"name of 128", "<" + s128 + ">\n<FLAG>\n", 0, {}, "element name too long: 128"},
        {"short records passed on", "<FLAG>\nab\n\n<FLAG>\n", 0, {"FLAG=1", "~", "~", "FLAG=1"}, nullptr},
        {"short records skipped", "<FLAG>\nab\n\n<FLAG>\n", QKCFG_LOOP_SKIPSHORT, {"FLAG=1", "FLAG=1"}, nullptr},
        {"unterminated comment", "<FLAG>\n<!-- open\n<S>x</S>\n", 0, {"FLAG=1", "~!-- open", "S=x"}, nullptr},
        {"binary bytes", "\x01\x02<S>\xff\xfe\x7f</S>\n<FLAG>\x80\n"s, 0,
         {"S=\xff\xfe\x7f", "FLAG=1"}, nullptr},
        {"zero byte ends the text", "<FLAG>\n<S>a\0b</S>\n<FLAG>\n"s, 0, {"FLAG=1"}, nullptr},
        {"carriage returns", "<MAINCFG>\r\n<S>x</S>\r\n</MAINCFG>\r\n", 0, {"+MAINCFG", "S=x", "-MAINCFG"},
         nullptr},
        {"numeric references out of range", "<S>&#0;&#300;&#x100;&#12345;&#65</S>\n", 0,
         {"S=&#0;&#300;&#x100;&#12345;&#65"}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        vxtest::TempTree tree;
        ReadResult run = readText(tree, c.text, c.flags);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.ev, c.ev);
        if (c.logLine) {
            EXPECT_EQ(vxtest::countLines(run.log, c.logLine), 1) << run.log;
        }
    }
}

TEST(QkCfgSrv, IncludeIsReadInPlace)
{
    vxtest::TempTree tree;
    std::string inner = tree.write("cfg/inner.xml", "<S>inner</S>\n");
    std::string inc = tree.write("cfg/inc.xml",
                                 "<!-- include -->\n<MAINCFG>\n<AUDIT>7</AUDIT>\nx\n"
                                 "<INCLUDE>\n<NAME>" + inner + "</NAME>\n</INCLUDE>\n</MAINCFG>\n");
    ReadResult run = readText(tree, "<MAINCFG>\n<INCLUDE>\n<NAME>" + inc + "</NAME>\n</INCLUDE>\n"
                             "<INCLUDE>\n<NAME>/nonexistent/file.xml</NAME>\n</INCLUDE>\n"
                             "<SCANRATE>9</SCANRATE>\n</MAINCFG>\n");
    Events want = {"+MAINCFG", "+INCLUDE", "NAME=" + inc,
                   "+MAINCFG", "AUDIT=7", "+INCLUDE", "NAME=" + inner, "S=inner", "-INCLUDE", "-MAINCFG",
                   "-INCLUDE",
                   "+INCLUDE", "NAME=/nonexistent/file.xml", "-INCLUDE",
                   "SCANRATE=9", "-MAINCFG"};
    EXPECT_EQ(run.ev, want);
    EXPECT_EQ(run.cnt, 6);   // the include's keys count only in the include
    EXPECT_EQ(run.pkgNdx, -1);
    EXPECT_EQ(vxtest::countLines(run.log, "processed: 1 config parameters"), 1);
    EXPECT_EQ(vxtest::countLines(run.log, "processed: 4 config parameters"), 1);
}

TEST(QkCfgSrv, IncludeCyclesAndDepthAreCut)
{
    struct Case {
        const char* what;
        int files;        // chain of files 0..files-1, file i includes file i+1
        bool backToFirst; // the last file includes the first again
        bool backToMain;  // the last file includes the main file
        int levels;       // files read
        const char* logLine;
    };
    const Case cases[] = {
        {"file includes itself", 1, true, false, 1, "is already being read, skipped"},
        {"cycle of three", 3, true, false, 3, "is already being read, skipped"},
        {"include of the main file", 2, false, true, 2, "is already being read, skipped"},
        {"chain deeper than the limit", QKCFG_MAXINCDEPTH + 1, false, false, QKCFG_MAXINCDEPTH,
         "include depth: 16 reached"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        vxtest::TempTree tree;
        auto name = [&](int i) { return tree.path("cfg/inc" + std::to_string(i) + ".xml"); };
        for (int i = 0; i < c.files; ++i) {
            std::string next = i + 1 < c.files ? name(i + 1) : c.backToFirst ? name(0)
                                                           : c.backToMain    ? tree.path("cfg/main.xml")
                                                                             : std::string();
            std::string text = "<S>level</S>\n";
            if (!next.empty()) text += "<INCLUDE>\n<NAME>" + next + "</NAME>\n</INCLUDE>\n";
            tree.write("cfg/inc" + std::to_string(i) + ".xml", text + "<FLAG>\n");
        }
        ReadResult run = readText(tree, "<INCLUDE>\n<NAME>" + name(0) + "</NAME>\n</INCLUDE>\n<SCANRATE>1</SCANRATE>\n");
        int levels = 0, flags = 0;
        for (const std::string& e : run.ev) {
            levels += e == "S=level";
            flags += e == "FLAG=1";
        }
        EXPECT_EQ(levels, c.levels);
        EXPECT_EQ(flags, c.levels);   // each level reads on after the include it left out
        EXPECT_EQ(run.ev.back(), "SCANRATE=1");
        EXPECT_EQ(run.pkgNdx, -1);
        EXPECT_EQ(vxtest::countLines(run.log, c.logLine), 1) << run.log;
    }
}

TEST(QkCfgSrv, UserDefinitionsReplaceTokensAfterTheirBlock)
{
    vxtest::TempTree tree;
    std::string defs = tree.write("usercfg/defs.txt",
                                  " USER$X\tvalue one \r\n"
                                  "no token\there\n"
                                  "USER$Y \t\t two\n"
                                  "USER$Z without tab\n"
                                  "USER$\n"
                                  "\tUSER$W\t  last line");
    ReadResult run = readText(tree, "<S>USER$X</S>\n<USERDEFINITION>\n<NAME>" + defs + "</NAME>\n</USERDEFINITION>\n"
                             "<S>USER$X</S>\n<S>USER$Y and USER$X</S>\n<S>USER$Z</S>\n<S>USER$W</S>\n"
                             "<USER$Y>\n",
                       0, QKCFG_AUD_USERDEF);
    Events want = {"S=USER$X", "+USERDEFINITION", "NAME=" + defs, "-USERDEFINITION",
                   "S=value one", "S=two and value one", "S=USER$Z", "S=last line", "~two"};
    EXPECT_EQ(run.ev, want);
    EXPECT_EQ(vxtest::countLines(run.log, "resource file: " + defs), 1);
}

TEST(QkCfgSrv, UserDefinitionThatWouldOverflowIsLeftOut)
{
    vxtest::TempTree tree;
    std::string defs = tree.write("usercfg/defs.txt", "USER$BIG\t" + std::string(120, 'b') + "\nUSER$OK\tok\n");
    std::string text = "<USERDEFINITION>\n<NAME>" + defs + "</NAME>\n</USERDEFINITION>\n";
    for (int i = 0; i < 8; ++i) text += "<S>USER$BIG USER$OK</S>\n";
    ReadResult run = readText(tree, text);
    ASSERT_EQ(run.ev.size(), 3u + 8u);
    EXPECT_EQ(run.ev.back(), "S=USER$BIG ok");
    EXPECT_EQ(vxtest::countLines(run.log, "user definition: USER$BIG does not fit"), 1);
}

TEST(QkCfgSrv, MissingFilesAndNames)
{
    vxtest::TempTree tree;
    std::string logPath = tree.path("work/cfg.log");
    std::string empty = tree.write("cfg/empty.xml", "");
    const std::string paths[] = {"", "/nonexistent/x.xml", empty, tree.path("cfg")};
    qklogopn(logPath.c_str());
    for (const std::string& path : paths) {
        qkcfgsrvInfo* r = newReader(path.c_str());
        EXPECT_EQ(qkcfggetfile(r), -2) << path;
        EXPECT_EQ(qkcfggetuserdefs(r), -2);   // no user-definition name
        qkstrset(r->defName, "/nonexistent/defs.txt");
        EXPECT_EQ(qkcfggetuserdefs(r), -2);
        EXPECT_EQ(qkcfgvalxmltype(r, "MAINCFG"), 0);
        EXPECT_EQ(qkcfgvalxmltype(r, "maincfg"), -2);
        EXPECT_EQ(qkcfggetrec(r), 0);         // nothing loaded: no record
        freeReader(r);
    }
    qkcfgsrvInfo* r = newReader("");
    qkcfgloopInfo loop{nullptr, nullptr, nullptr, nullptr, 0, "t"};
    EXPECT_EQ(qkcfgreadinclude(r, "", &loop), -2);
    freeReader(r);
    qklogcls();
    std::string log = vxtest::readFile(logPath);
    EXPECT_EQ(vxtest::countLines(log, "no path name"), 4 * 3 + 1);
    EXPECT_EQ(vxtest::countLines(log, "config name: maincfg not registered"), 4);
}

TEST(QkCfgSrv, AuditLinesAndCopies)
{
    vxtest::TempTree tree;
    std::string text = "<MAINCFG>\n<FLAG>\n<SCANRATE>5</SCANRATE>\n<AUDIT>6</AUDIT>\n<GAIN>0.5</GAIN>\n"
                       "<S>s</S>\n</MAINCFG>\n";
    std::string sizeLine = "config file, size: " + std::to_string(2 * text.size()) + ", name: ";
    ReadResult first, second;
    {
        vxtest::CwdGuard cwd(tree.work());
        first = readText(tree, text, 0, 0x7ff);
        second = readText(tree, "<S>two</S>\n", 0, QKCFG_AUD_COPY);
    }
    // Each reader numbers its own copies; both files were loaded by a new reader.
    EXPECT_EQ(vxtest::readFile(tree.path("work/tmpcfg1.txt")), "<S>two</S>\n");
    const char* lines[] = {
        "argument number: 0, name: LOGCFG, type: 5",
        "Bool name: FLAG, val: 1",
        "Short name: SCANRATE, val: 5",
        "Long name: AUDIT, val: 6",
        "Float name: GAIN, val: 0.500000",
        "String name: S, val: s",
        "xml return code: 0, segment name: /MAINCFG",
        "ndx: 1, XML segment name: MAINCFG, cfg name: MAINCFG",
        "record ndx: 2, buf: <FLAG>",
        sizeLine.c_str(),
    };
    for (const char* l : lines) EXPECT_EQ(vxtest::countLines(first.log, l), 1) << l;
    EXPECT_EQ(vxtest::countLines(second.log, "config file, size: 22, name: "), 1);
}

TEST(QkCfgSrv, AuditCopiesAreNumberedPerReader)
{
    vxtest::TempTree tree;
    std::string a = tree.write("cfg/a.xml", "<S>a</S>\n");
    std::string b = tree.write("cfg/b.xml", "<S>b</S>\n");
    {
        vxtest::CwdGuard cwd(tree.work());
        qkcfgsrvInfo* r = newReader(a.c_str());
        qkcfgsetaudit(r, QKCFG_AUD_COPY);
        EXPECT_EQ(qkcfggetfile(r), 0);
        r->path = const_cast<char*>(b.c_str());
        EXPECT_EQ(qkcfggetfile(r), 0);
        EXPECT_EQ(r->tfndx, 2);
        freeReader(r);
    }
    EXPECT_EQ(vxtest::readFile(tree.path("work/tmpcfg1.txt")), "<S>a</S>\n");
    EXPECT_EQ(vxtest::readFile(tree.path("work/tmpcfg2.txt")), "<S>b</S>\n");
}

TEST(QkCfgSrv, WindowFrameworkDispatchByClosingTag)
{
    vxtest::TempTree tree;
    ReadResult run = readText(tree, "<MAINCFG>\n<UNKNOWN>1</UNKNOWN>\nab\n</MAINCFG>\n",
                       QKCFG_LOOP_BYCLOSETAG | QKCFG_LOOP_SKIPSHORT);
    // Records that are no key records reach the package and element handlers
    // too (the window framework logs names it does not know).
    EXPECT_EQ(run.ev, (Events{"+MAINCFG", "?UNKNOWN", "-MAINCFG"}));
}

TEST(QkCfgSrv, PackageStackBounds)
{
    int codes[4] = {};
    int top = -1;
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(qkcfgstackpush(codes, &top, 4, i * 10), 0);
    EXPECT_EQ(qkcfgstackpush(codes, &top, 4, 50), -2);
    EXPECT_EQ(top, 3);
    EXPECT_EQ(codes[3], 40);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(qkcfgstackpop(codes, &top, -1), 0);
    EXPECT_EQ(qkcfgstackpop(codes, &top, -1), -2);
    EXPECT_EQ(top, -1);
    EXPECT_EQ(codes[0], 0);
    top = 0;   // a stack whose level 0 stays empty
    EXPECT_EQ(qkcfgstackpop(codes, &top, 0), -2);
    EXPECT_EQ(top, 0);
}

TEST(QkCfgSrv, RecordCursorCountsNonEmptyRecords)
{
    vxtest::TempTree tree;
    const std::string text = "\n\t\n<A>\n\n <B> \nrest";
    std::string file = tree.write("cfg/c.xml", text);
    qkcfgsrvInfo* r = newReader(file.c_str());
    ASSERT_EQ(qkcfggetfile(r), 0);
    EXPECT_EQ(r->size, static_cast<int>(2 * text.size()));
    EXPECT_EQ(qkcfggetrec(r), 1);
    EXPECT_STREQ(r->wbuf, "<A>");
    EXPECT_EQ(qkcfggetrec(r), 1);   // an empty record keeps the count
    EXPECT_STREQ(r->wbuf, "");
    EXPECT_EQ(qkcfggetxmlparam(r), 1);
    EXPECT_EQ(qkcfggetrec(r), 2);
    EXPECT_STREQ(r->wbuf, "<B>");
    EXPECT_EQ(qkcfggetrec(r), 0);   // "rest" has no line feed
    r->rec.ndx = 0;                 // a count of 0 restarts at the beginning
    EXPECT_EQ(qkcfggetrec(r), 1);
    EXPECT_STREQ(r->wbuf, "<A>");
    freeReader(r);
}

}  // namespace
