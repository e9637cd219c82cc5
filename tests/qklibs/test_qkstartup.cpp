// Command-line options: the getarg scanner and the typed evaluation of
// qkstartupgetinput, with the log lines they write into a real log file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "qkgetargs.h"
#include "qklogsrv.h"
#include "qkstartup.h"
#include "vxtestsupport.h"

namespace {

struct Opt {
    char id;
    int type;
};
// One option of every type: Bool, Short, Long, Float, Char, String.
const std::vector<Opt> kAllTypes = {{'b', 0}, {'s', 1}, {'l', 2}, {'f', 3}, {'c', 4}, {'t', 5}};

struct Parsed {
    qkstartupCmdLnInfo rec{};
    int status = 0;
    std::string log;
};

// Registers opts, scans "prog words..." once and returns the record with the
// log written meanwhile.
Parsed parse(const std::vector<std::string>& words, int audit = 0, const std::vector<Opt>& opts = kAllTypes)
{
    static vxtest::TempTree tree;
    std::vector<std::string> store = {"prog"};
    store.insert(store.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (auto& w : store) argv.push_back(w.data());
    argv.push_back(nullptr);

    Parsed p;
    std::memset(&p.rec, 0, sizeof p.rec);
    const std::string logPath = tree.path("startup.log");
    EXPECT_EQ(qklogopn(logPath.c_str()), 0);
    qkgetargreset();
    qkstartupsetaudit(&p.rec, audit);
    for (const Opt& o : opts) EXPECT_EQ(qkstartupaddflag(&p.rec, o.id, o.type), 0);
    qkstartupsetargs(&p.rec, static_cast<int>(store.size()), argv.data());
    p.status = qkstartupgetinput(&p.rec);
    qklogcls();
    p.log = vxtest::readFile(logPath);
    return p;
}

// "id=value" for every slot whose state is set, in slot order.
std::string present(const qkstartupCmdLnInfo& rec)
{
    std::string out;
    for (int i = 0; i < rec.argCnt; ++i) {
        const qkstartupCmdArgInfo& a = rec.args[i];
        if (!a.state) continue;
        char v[160];
        switch (a.type) {
        case 0: std::snprintf(v, sizeof v, "%d", a.val.bol); break;
        case 1: std::snprintf(v, sizeof v, "%d", a.val.sht); break;
        case 2: std::snprintf(v, sizeof v, "%d", a.val.lng); break;
        case 3: std::snprintf(v, sizeof v, "%g", static_cast<double>(a.val.flt)); break;
        case 4: std::snprintf(v, sizeof v, "%c", a.val.chr ? a.val.chr : '0'); break;
        default: std::snprintf(v, sizeof v, "%s", a.val.str); break;
        }
        if (!out.empty()) out += ' ';
        out += static_cast<char>(a.id);
        out += '=';
        out += v;
    }
    return out;
}

}  // namespace

TEST(QkStartup, EvaluatesCommandLines)
{
    const std::string s127(127, 'a'), s128(128, 'a');
    struct Case {
        const char* name;
        std::vector<std::string> words;
        int status;
        std::string present;   // options found, with their values
        int cnt;
        std::string logged;    // a line the log must hold ("" = the log stays empty)
    };
    const std::vector<Case> cases = {
        {"empty command line", {}, 0, "", 0, ""},
        {"slash works as sign", {"/t", "name.xml"}, 0, "t=name.xml", 1, ""},
        {"only the first letter counts", {"-bs", "7"}, 0, "b=1", 1, ""},
        {"plain words are ignored", {"word", "-b", "other"}, 0, "b=1", 1, ""},
        {"a sign alone is a plain word", {"-", "/", "-c", "q"}, 0, "c=q", 1, ""},
        {"given twice, the later value wins", {"-s", "1", "-s", "2"}, 0, "s=2", 2, ""},
        {"127 characters fit", {"-t", s127}, 0, "t=" + s127, 1, ""},
        {"128 characters are refused", {"-t", s128, "-b"}, -2, "t=", 0, "command startup error for ID: t"},
        {"hexadecimal short", {"-s", "0x10"}, 0, "s=16", 1, ""},
        {"octal short", {"-s", "010"}, 0, "s=8", 1, ""},
        {"negative long", {"-l", "-100000"}, 0, "l=-100000", 1, ""},
        {"long keeps 32 bits", {"-l", "0x7fffffff"}, 0, "l=2147483647", 1, ""},
        {"float", {"-f", "2.5"}, 0, "f=2.5", 1, ""},
        {"char takes the first character", {"-c", "xyz"}, 0, "c=x", 1, ""},
        {"argument word is consumed even if it looks like an option", {"-t", "-b"}, 0, "t=-b", 1, ""},
        {"missing argument", {"-b", "-s"}, -2, "b=1 s=0", 1, "command startup error for ID: s"},
        {"unregistered letter is skipped", {"-x", "-b"}, 0, "b=1", 1, "getarg: Option: x, not defined in option string"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Parsed p = parse(c.words);
        EXPECT_EQ(p.status, c.status);
        EXPECT_EQ(present(p.rec), c.present);
        EXPECT_EQ(p.rec.cnt, c.cnt);
        if (c.logged.empty())
            EXPECT_EQ(p.log, "");
        else
            EXPECT_EQ(vxtest::countLines(p.log, c.logged), 1) << p.log;
    }
}

TEST(QkStartup, RegistrationBuildsOptionString)
{
    Parsed p = parse({}, 0, {{'p', 2}, {'n', 5}, {'h', 0}});
    EXPECT_STREQ(p.rec.optionstring, "p:n:h");
    EXPECT_EQ(p.rec.argCnt, 3);
    EXPECT_EQ(p.rec.args[1].id, 'n');
    EXPECT_EQ(p.rec.args[1].type, 5);

    // The table holds 32 options; one more is refused without touching the record.
    qkstartupCmdLnInfo rec{};
    for (int i = 0; i < 32; ++i) ASSERT_EQ(qkstartupaddflag(&rec, 'A' + i, 0), 0);
    EXPECT_EQ(qkstartupaddflag(&rec, 'z', 5), -2);
    EXPECT_EQ(rec.argCnt, 32);
    EXPECT_EQ(std::strlen(rec.optionstring), 32u);
}

TEST(QkStartup, AuditLines)
{
    Parsed p = parse({"-b", "-s", "0x10", "-l", "-5", "-f", "2.5", "-c", "x", "-t", "abc"}, 127);
    ASSERT_EQ(p.status, 0);
    const char* lines[] = {
        "qkstartupaddflag: Added count: 0, id: b, type: 0, option string: b",
        "qkstartupaddflag: Added count: 5, id: t, type: 5, option string: bs:l:f:c:t:",
        "qkstartupgetinput: Bool ID: b, val: 1",
        "qkstartupgetinput: Short ID: s, val: 16",
        "qkstartupgetinput: Long ID: l, val: -5",
        "qkstartupgetinput: Float ID: f, val: 2.500000",
        "qkstartupgetinput: Char ID: c, val: x",
        "qkstartupgetinput: String ID: t, val: abc",
    };
    for (const char* line : lines) EXPECT_EQ(vxtest::countLines(p.log, line), 1) << line << "\n" << p.log;
    EXPECT_EQ(vxtest::countLines(p.log, "Added count"), 6);

    // Each bit stands alone: only the Short line with mask 4.
    Parsed only = parse({"-b", "-s", "3", "-t", "abc"}, 4);
    EXPECT_EQ(vxtest::countLines(only.log, "ID: "), 1) << only.log;
    EXPECT_EQ(vxtest::countLines(only.log, "Short ID: s, val: 3"), 1);
}

TEST(QkStartup, ScannerLogAndDebugOutput)
{
    getargsetlog(1);
    Parsed p = parse({"-t", "x.xml", "-b"});
    getargsetlog(0);
    EXPECT_EQ(vxtest::countLines(p.log, "getarg: getarg, detected user input option: t, with argument: x.xml"), 1)
        << p.log;
    EXPECT_EQ(vxtest::countLines(p.log, "getarg: getarg, detected user input option: b, with argument: (null)"), 1);

    EXPECT_EQ(qkstartupgetdatandx(&p.rec, 'l'), 2);
    qklogsetstdout(1);
    testing::internal::CaptureStdout();
    EXPECT_EQ(qkstartupgetdatandx(&p.rec, 'z'), -2);
    getargsetdebug(1 | 4);
    char prog[] = "prog", opt[] = "-s";
    char* argv[] = {prog, opt, nullptr};
    qkgetargreset();
    EXPECT_EQ(getarg(2, argv, "bs:"), 's');
    getargsetdebug(0);
    qklogsetstdout(0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(vxtest::countLines(out, "qkstartupgetdatandx: data index for id: 122 not found"), 1) << out;
    EXPECT_EQ(vxtest::countLines(out, " startndx: 1, qkargndx: 1, argc: 2, ocnt: 3"), 1) << out;
    EXPECT_EQ(vxtest::countLines(out, " ndx: 1, argc: 2, argv: -s, uchr: s"), 1);
    EXPECT_EQ(vxtest::countLines(out, " ondx: 1, ocnt: 3, ochr: s, uchr: s"), 1);
    EXPECT_EQ(qkargstr, nullptr);
    // The position only moves forward: the line is used up.
    EXPECT_EQ(getarg(2, argv, "bs:"), 0);
}
