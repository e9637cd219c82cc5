// Analyzer versions: the setters, the match against the supported list, the
// refusal of an unsupported analyzer, and the loading of the version profiles,
// both the shipped ones of every supported version and damaged ones.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "vxAnaVersionSrv.h"
#include "vxCfgSrv.h"
#include "vxInit.h"
#include "vxMain.h"
#include "vxtestsupport.h"

namespace fs = std::filesystem;

namespace {

// The main configuration read as the program reads it: the main window's
// record holds the reader.
int readMain()
{
    vxGetResources(&vx);
    return vxCfgRead(&vx);
}

enum Setter { HW, APP, REV, BLD, FOLDER };

int callSetter(Setter s, const char* text)
{
    switch (s) {
    case HW: return vxVersionSetHW(&vx, text);
    case APP: return vxVersionSetApp(&vx, text);
    case REV: return vxVersionSetRevision(&vx, text);
    case BLD: return vxVersionSetBuild(&vx, text);
    case FOLDER: return vxVersionSetFolder(&vx, text);
    }
    return -99;
}

// Fills the identified analyzer's version the way the identity parser does:
// the first word of the identity goes to both the hardware and the application setter.
void identify(const char* hwApp, const char* rev, const char* bld)
{
    vx.anaVerPtr = &vx.anaDetails.version;
    vxVersionSetUnknown(&vx);
    vxVersionSetHW(&vx, hwApp);
    vxVersionSetApp(&vx, hwApp);
    vxVersionSetRevision(&vx, rev);
    vxVersionSetBuild(&vx, bld);
    qkstrfmt(vx.anaDetails.ID.version, sizeof vx.anaDetails.ID.version, "%s-%s %s", hwApp, rev, bld);
}

// Adds an entry to the supported list the way the configuration keys do.
void addSupported(const char* hw, const char* app, const char* rev, const char* bld, const char* folder)
{
    vxAnalyzerVersion* keep = vx.anaVerPtr;
    vx.anaVerPtr = &vx.anaSupVer.version[vx.anaSupVer.cnt];
    vxVersionSetHW(&vx, hw);
    vxVersionSetApp(&vx, app);
    vxVersionSetRevision(&vx, rev);
    vxVersionSetBuild(&vx, bld);
    vxVersionSetFolder(&vx, folder);
    vx.anaSupVer.cnt = vx.anaSupVer.cnt + 1;
    vx.anaVerPtr = keep;
}

class VxAnaVersion : public ::testing::Test {
protected:
    void SetUp() override
    {
        vxPtr = &vx;
        vxInitialize(&vx);
        qkstrset(vx.cfg.path, "../cfg/vxMain.xml");
        vx.anaVerPtr = &vx.anaDetails.version;
        vxVersionSetUnknown(&vx);
    }
    void TearDown() override
    {
        vxCfgFree(&vx);
        vxFreeResources(&vx);   // the main window's record, made by readMain
        qklogcls();
    }
};

// ---- setters ------------------------------------------------------------------

TEST_F(VxAnaVersion, HardwareAndApplicationSubstringRules)
{
    struct Case {
        Setter setter;
        const char* text;
        const char* hwName;
        const char* appName;
        int hwType;
        int appType;
    };
    const Case cases[] = {
        {HW, "HC12", "HC12", "PP2F", 3, 6},
        {HW, "KT700", "KT700", "PP2F", 3, 6},
        {HW, "ARM9", "ARM9", "Unknown", 4, 1},        // the application stays
        {HW, "xxHC12yy", "HC12", "PP2F", 3, 6},       // anywhere in the text
        {HW, "HC12KT700", "KT700", "PP2F", 3, 6},     // the later rule overrides
        {HW, "KT700HC12", "KT700", "PP2F", 3, 6},     // rule order, not text order
        {HW, "ARM9HC12", "ARM9", "PP2F", 4, 6},       // ARM9 overrides the board, keeps PP2F
        {HW, "hc12", "Unknown", "Unknown", 1, 1},     // exact case
        {HW, "PP2F", "Unknown", "Unknown", 1, 1},
        {APP, "PP2F", "Unknown", "PP2F", 1, 6},
        {APP, "HC12", "Unknown", "PP2F", 1, 6},       // the application setter leaves the board
        {APP, "ARM9_NS", "ARM9", "NS", 4, 7},
        {APP, "FS", "ARM9", "FS", 4, 8},              // NS and FS imply ARM9
        {APP, "FSNS", "ARM9", "FS", 4, 8},            // rule order, not text order
        {APP, "PP2F_NS", "ARM9", "NS", 4, 7},
        {APP, "ARM9", "Unknown", "Unknown", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        vxVersionSetUnknown(&vx);
        EXPECT_EQ(callSetter(c.setter, c.text), 0);
        const vxAnalyzerVersion& v = vx.anaDetails.version;
        EXPECT_STREQ(v.hwName, c.hwName);
        EXPECT_STREQ(v.appName, c.appName);
        EXPECT_EQ(v.hwType, c.hwType);
        EXPECT_EQ(v.appType, c.appType);
        EXPECT_STREQ(v.revName, "Unknown");
    }

    // Unknown resets everything a full identity set.
    identify("ARM9_NS", "1.12", "0417");
    EXPECT_EQ(vxVersionSetUnknown(&vx), 0);
    const vxAnalyzerVersion& v = vx.anaDetails.version;
    for (const char* name : {v.hwName, v.appName, v.revName, v.bldName}) EXPECT_STREQ(name, "Unknown");
    EXPECT_EQ(v.hwType + v.appType + v.revision + v.build, 4);
}

TEST_F(VxAnaVersion, BuildNumbers)
{
    struct Case {
        const char* text;
        const char* bldName;
        int build;
    };
    const Case cases[] = {
        {"0123", "0123", 291},
        {"F001", "F001", 61441},
        {"G001", "G001", 65537},            // counts on after FFFF
        {"H000", "H000", 0xF000 + 2 * 4096},
        {"A0", "A0", 160},
        {"f012", "f012", 0xF012 + ('f' - 'F') * 4096},   // any first character above "F"
        {"12x4", "12x4", 0x12},             // up to the first non-hex character
        {"0a1B", "0a1B", 0xA1B},
        {"-12", "-12", 0},
        {"", "", 0},
        {"0123456789", "0123456", 0x123456},   // cut to the 7 characters kept
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(vxVersionSetBuild(&vx, c.text), 0);
        EXPECT_STREQ(vx.anaDetails.version.bldName, c.bldName);
        EXPECT_EQ(vx.anaDetails.version.build, c.build);
    }
}

TEST_F(VxAnaVersion, LongTextsAreCutAndNeighboursKept)
{
    vxAnalyzerVersion& v = vx.anaDetails.version;
    ASSERT_EQ(vxVersionSetBuild(&vx, "0123"), 0);
    EXPECT_EQ(vxVersionSetRevision(&vx, "1.23456789012345"), 0);
    EXPECT_STREQ(v.revName, "1.23456");
    EXPECT_STREQ(v.bldName, "0123");       // the field after it is untouched
    EXPECT_STREQ(v.appName, "Unknown");    // and the one before it

    EXPECT_EQ(vxVersionSetBuild(&vx, std::string(300, '7').c_str()), 0);
    EXPECT_STREQ(v.bldName, "7777777");
    EXPECT_EQ(v.build, 0x7777777);
    EXPECT_EQ(v.verFolder[0], '\0');

    std::string folder(300, 'd');
    EXPECT_EQ(vxVersionSetFolder(&vx, folder.c_str()), 0);
    EXPECT_EQ(std::string(v.verFolder), folder.substr(0, sizeof v.verFolder - 1));

    // No version record or no text: refused, nothing written.
    vx.anaVerPtr = nullptr;
    for (Setter s : {HW, APP, REV, BLD, FOLDER}) EXPECT_EQ(callSetter(s, "HC12"), -2);
    EXPECT_EQ(vxVersionSetUnknown(&vx), -2);
    vx.anaVerPtr = &v;
    for (Setter s : {HW, APP, REV, BLD, FOLDER}) EXPECT_EQ(callSetter(s, nullptr), -2);
    EXPECT_STREQ(v.hwName, "Unknown");
}

TEST_F(VxAnaVersion, VersionMessageTexts)
{
    vxtest::TempTree tree;
    std::string log = tree.path("work/msg.log");
    ASSERT_EQ(qklogopn(log.c_str()), 0);
    identify("ARM9_FS", "1.05", "0233");
    for (int kind : {1, 2, 3, 0}) EXPECT_EQ(vxVersionMessage(&vx, kind), 0);
    std::string text = vxtest::readFile(log);
    EXPECT_EQ(vxtest::countLines(text, "vxMsgInfo: Analyzer version: ARM9 - FS"), 1);
    EXPECT_EQ(vxtest::countLines(text, "Limited functionality supported"), 1);
    EXPECT_EQ(vxtest::countLines(text, "vxMsgInfo: Page disabled for Analyzer version: ARM9 - FS"), 1);
    EXPECT_EQ(vxtest::countLines(text, "vxMsgInfo"), 2);   // the other kinds show nothing
}

// ---- matching -------------------------------------------------------------------

TEST_F(VxAnaVersion, MatchingRules)
{
    addSupported("HC12", "PP2F", "2.30", "0123", "first");
    addSupported("HC12", "PP2F", "2.30", "0123", "second");   // same version again
    addSupported("ARM9", "NS", "1.0", "0417", "ns10");
    addSupported("ARM9", "FS", "1.05", "0233", "fs");

    struct Case {
        const char* hwApp;
        const char* rev;
        const char* bld;
        const char* folder;   // null: not supported
    };
    const Case cases[] = {
        {"HC12", "2.30", "0123", "first"},      // first of two identical entries
        {"KT700", "2.30", "0123", "first"},     // other 2F board
        {"ARM9PP2F", "2.30", "0123", "first"},  // hardware not compared
        {"ARM9_NS", "1.0", "0417", "ns10"},
        {"ARM9_FS", "1.05", "0233", "fs"},
        {"ARM9_NS", "1.00", "0417", nullptr},   // revision texts compared exactly
        {"ARM9_NS", "1.0", "417", nullptr},     // build texts too, not numbers
        {"ARM9_FS", "1.0", "0417", nullptr},    // application differs
        {"ARM9", "2.30", "0123", nullptr},      // application unknown
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.hwApp) + " " + c.rev + " " + c.bld);
        identify(c.hwApp, c.rev, c.bld);
        const vxAnalyzerVersion* entry = vxVersionFindSupported(&vx);
        if (c.folder == nullptr) {
            EXPECT_EQ(entry, nullptr);
        } else {
            ASSERT_NE(entry, nullptr);
            EXPECT_STREQ(entry->verFolder, c.folder);
        }
    }
}

TEST_F(VxAnaVersion, UnsupportedVersionIsRefused)
{
    vxtest::TempTree tree;
    std::string log = tree.path("work/refuse.log");
    ASSERT_EQ(qklogopn(log.c_str()), 0);
    vxtest::CwdGuard cwd(tree.work());
    addSupported("ARM9", "NS", "1.00", "0417", "ARM9_NS_1.00");
    identify("ARM9_NS", "1.0", "0417");
    vx.state = 20;
    vx.spData.autoPollRate = 33;   // the profiles loaded before stay

    // The question box answers No until the windows exist, so the program goes on.
    EXPECT_EQ(vxLoadDataCfgFiles(&vx), -2);
    EXPECT_EQ(vx.state, 13);
    EXPECT_EQ(vx.anaDetails.status, -2);
    EXPECT_STREQ(vx.anaFind.msgBuf, " Analyzer ID: ARM9_NS-1.0 0417  **NOT SUPPORTED**");
    EXPECT_EQ(vx.spData.autoPollRate, 33);

    std::string text = vxtest::readFile(log);
    EXPECT_EQ(vxtest::countLines(text, "vxLoadDataCfgFiles: version: ARM9_NS-1.0 0417, not supported"), 1);
    EXPECT_EQ(vxtest::countLines(text, "vxMsgQuestion: Version: ARM9_NS-1.0 0417, not supported"), 1);
    EXPECT_EQ(vxtest::countLines(text, " Select \"Yes\" to exit"), 1);
    EXPECT_EQ(vxtest::countLines(text, "Auto poll rate"), 0);
}

// ---- the shipped profiles ---------------------------------------------------------

struct ShippedTree {
    vxtest::TempTree tree;
    ShippedTree()
    {
        fs::copy(fs::path(VX_SOURCE_DIR) / "cfg", tree.path("cfg"),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        fs::create_directories(tree.path("logs"));
    }
};

vxDiagAppInfo* diagRecordFor(int appType)
{
    vxDiagValueInfo& dv = vx.dpData.dvData;
    return appType == 6 ? &dv.f2 : appType == 7 ? &dv.ns : appType == 8 ? &dv.fs : nullptr;
}

template <class T, std::size_t N> bool within(int cnt, const T (&)[N])
{
    return cnt > 0 && cnt <= static_cast<int>(N);
}

// What the pages need of a loaded version.
void expectPagesLoaded(int appType)
{
    const vxSpectraPageInfo& sp = vx.spData;
    EXPECT_GE(sp.autoPollRate, 1);
    EXPECT_GE(sp.demandPollRate, 1);
    const vxSpectraAppInfo* spApp = sp.appPtr;
    ASSERT_EQ(spApp, appType == 6 ? &sp.f2 : appType == 7 ? &sp.ns : &sp.fs);
    EXPECT_TRUE(within(spApp->plotAcnt, spApp->plotA)) << spApp->plotAcnt;
    EXPECT_TRUE(within(spApp->plotBcnt, spApp->plotB)) << spApp->plotBcnt;
    EXPECT_TRUE(within(spApp->plotCcnt, spApp->plotC)) << spApp->plotCcnt;
    EXPECT_TRUE(within(spApp->digHdrCnt, spApp->digHdr)) << spApp->digHdrCnt;
    for (int i = 0; i < spApp->plotAcnt && i < 16; ++i)
        EXPECT_TRUE(spApp->plotA[i].name[0] != '\0' && spApp->plotA[i].dpid != 0) << "plot A curve " << i;
    for (int i = 0; i < spApp->digHdrCnt && i < 32; ++i)
        EXPECT_TRUE(spApp->digHdr[i].type >= 1 && spApp->digHdr[i].type <= 7) << "FC10 entry " << i;

    const vxParamTvInfo& menu = vx.ppData.plData.tvMenu;
    EXPECT_TRUE(within(menu.groupCnt, menu.group)) << menu.groupCnt;
    for (int g = 0; g < menu.groupCnt && g < 32; ++g)
        EXPECT_TRUE(within(menu.group[g].itemCnt, menu.group[g].items)) << "group " << g;

    const vxDiagValueInfo& dv = vx.dpData.dvData;
    ASSERT_EQ(dv.appPtr, diagRecordFor(appType));
    EXPECT_TRUE(within(dv.appPtr->paramCnt, dv.appPtr->param)) << dv.appPtr->paramCnt;
    EXPECT_TRUE(within(dv.appPtr->alarmCnt, dv.appPtr->alarm)) << dv.appPtr->alarmCnt;
    EXPECT_GT(dv.appPtr->alarmRegister, 40000);
    // Only the analyzer's own diagnostic record is filled.
    for (int other : {6, 7, 8}) {
        if (other == appType) continue;
        EXPECT_EQ(diagRecordFor(other)->paramCnt + diagRecordFor(other)->alarmCnt, 0) << "type " << other;
    }
}

TEST_F(VxAnaVersion, ShippedProfilesOfEverySupportedVersionLoad)
{
    ShippedTree shipped;
    vxtest::CwdGuard cwd(shipped.tree.work());
    ASSERT_EQ(readMain(), 0);
    ASSERT_GT(vx.anaSupVer.cnt, 0);

    // Every shipped version folder is reachable from the supported list.
    std::set<std::string> listed, folders;
    for (int i = 0; i < vx.anaSupVer.cnt; ++i) listed.insert(vx.anaSupVer.version[i].verFolder);
    for (const auto& dir : fs::directory_iterator(shipped.tree.path("cfg/versioncfg")))
        if (dir.is_directory()) folders.insert(dir.path().filename().string());
    EXPECT_EQ(listed, folders);

    std::string log = shipped.tree.path("logs/vxMain.log");
    for (int i = 0; i < vx.anaSupVer.cnt; ++i) {
        const vxAnalyzerVersion entry = vx.anaSupVer.version[i];
        SCOPED_TRACE(entry.verFolder);

        // Identify the analyzer from the entry's own texts.
        vx.anaVerPtr = &vx.anaDetails.version;
        vxVersionSetUnknown(&vx);
        vxVersionSetHW(&vx, entry.hwName);
        vxVersionSetApp(&vx, entry.appName);
        vxVersionSetRevision(&vx, entry.revName);
        vxVersionSetBuild(&vx, entry.bldName);
        vx.anaDetails.status = 7;

        std::size_t before = vxtest::readFile(log).size();
        ASSERT_EQ(vxLoadDataCfgFiles(&vx), 0);
        EXPECT_EQ(vx.anaDetails.status, 0);
        expectPagesLoaded(entry.appType);

        // The loading reports what it loaded, one line each, in this order.
        const vxSpectraAppInfo& sp = *vx.spData.appPtr;
        const vxDiagAppInfo& diag = *vx.dpData.dvData.appPtr;
        std::string lines = vxtest::readFile(log).substr(before);
        auto line = [](const std::string& what, int n) { return "vxLoadDataCfgFiles: " + what + std::to_string(n) + "$"; };
        auto loaded = [](int n, const std::string& what) {
            return "vxLoadDataCfgFiles: Loaded: " + std::to_string(n) + ", " + what + "$";
        };
        EXPECT_TRUE(vxtest::linesInOrder(lines, {
            line("Auto poll rate: ", vx.spData.autoPollRate),
            line("Demand poll rate: ", vx.spData.demandPollRate),
            loaded(sp.plotAcnt, "Plot A curves"),
            loaded(sp.plotBcnt, "Plot B curves"),
            loaded(sp.plotCcnt, "Plot C curves"),
            loaded(sp.digHdrCnt, "FC10 parameters"),
            loaded(vx.ppData.plData.tvMenu.groupCnt, "parameter groups"),
            loaded(diag.paramCnt, "diagnostic parameter"),
            loaded(diag.alarmCnt, "diagnostic alarms"),
        }));
    }
}

TEST_F(VxAnaVersion, LoadingAgainReplacesInsteadOfAdding)
{
    ShippedTree shipped;
    vxtest::CwdGuard cwd(shipped.tree.work());
    ASSERT_EQ(readMain(), 0);

    identify("ARM9_NS", "1.12", "0417");
    ASSERT_EQ(vxLoadDataCfgFiles(&vx), 0);
    const vxSpectraAppInfo& ns = vx.spData.ns;
    const int counts[] = {ns.plotAcnt, ns.plotBcnt, ns.plotCcnt, ns.digHdrCnt, vx.ppData.plData.tvMenu.groupCnt,
                          vx.ppData.plData.tvMenu.group[0].itemCnt, vx.dpData.dvData.ns.paramCnt,
                          vx.dpData.dvData.ns.alarmCnt};

    // Page state left behind by a session with the analyzer goes too.
    vx.spData.state = 2;
    vx.ppData.plData.tvImageNdx[5] = 99;
    vx.ppData.plData.tvCatCnt = 4;
    vx.dpData.dvData.ns.alarmData = 0x55;

    ASSERT_EQ(vxLoadDataCfgFiles(&vx), 0);
    const int again[] = {ns.plotAcnt, ns.plotBcnt, ns.plotCcnt, ns.digHdrCnt, vx.ppData.plData.tvMenu.groupCnt,
                         vx.ppData.plData.tvMenu.group[0].itemCnt, vx.dpData.dvData.ns.paramCnt,
                         vx.dpData.dvData.ns.alarmCnt};
    for (std::size_t i = 0; i < std::size(counts); ++i) EXPECT_EQ(again[i], counts[i]) << "count " << i;
    EXPECT_EQ(vx.spData.state, 0);
    EXPECT_EQ(vx.ppData.plData.tvImageNdx[5], 0);
    EXPECT_EQ(vx.ppData.plData.tvCatCnt, 0);
    EXPECT_EQ(vx.dpData.dvData.ns.alarmData, 0);

    // Then a 2F analyzer: the NS definitions are gone.
    identify("HC12", "2.30", "0123");
    ASSERT_EQ(vxLoadDataCfgFiles(&vx), 0);
    EXPECT_EQ(ns.plotAcnt, 0);
    EXPECT_EQ(vx.dpData.dvData.ns.paramCnt, 0);
    EXPECT_EQ(vx.dpData.dvData.appPtr, &vx.dpData.dvData.f2);
    EXPECT_EQ(vx.spData.appPtr, &vx.spData.f2);
}

// ---- written profiles: poll rates, damaged files ------------------------------------

// A tree whose main configuration supports one NS version in folder T (or
// the folder given), with the profiles the test writes.
struct ProfileTree {
    vxtest::TempTree tree;
    explicit ProfileTree(const char* folder = "T")
    {
        tree.write("cfg/vxMain.xml",
                   "<LOGCFG>\n  <NAME>../work/vx.log</NAME>\n</LOGCFG>\n"
                   "<SUPPORTED>\n  <VXVERSION>\n    <HWTYPE>ARM9</HWTYPE>\n    <APPTYPE>NS</APPTYPE>\n"
                   "    <REVISION>1.12</REVISION>\n    <BUILD>0417</BUILD>\n    <FOLDER>" +
                       std::string(folder) + "</FOLDER>\n  </VXVERSION>\n</SUPPORTED>\n");
    }
    void profile(const char* name, const std::string& text) const
    {
        tree.write(std::string("cfg/versioncfg/T/") + name, text);
    }
    std::string log() const { return vxtest::readFile(tree.path("work/vx.log")); }
    // Reads the main configuration and loads the profiles of an identified NS analyzer.
    int load() const
    {
        vxtest::CwdGuard cwd(tree.work());
        if (readMain() != 0) return -99;
        identify("ARM9_NS", "1.12", "0417");
        return vxLoadDataCfgFiles(&vx);
    }
};

const std::string kSpectra =
    "<SPECTRAPROFILE>\n"
    "  <APPLICATION>\n"
    "    <NAME>NS</NAME>\n"
    "    <PLOTA>\n"
    "      <NAME>Dry spectrum</NAME>\n"
    "      <DPID>30</DPID>\n"
    "      <STATE>ENABLED</STATE>\n"
    "      <NAME>Wet spectrum</NAME>\n"
    "      <DPID>31</DPID>\n"
    "      <STATE>DISABLED</STATE>\n"
    "    </PLOTA>\n"
    "  </APPLICATION>\n"
    "</SPECTRAPROFILE>\n";

const std::string kDiag =
    "<DIAGNOSTICPROFILE>\n"
    "  <ALARMREGISTER>45010</ALARMREGISTER>\n"
    "  <DIAGNOSTICDATA>\n"
    "    <DIAGPARAMETER>\n"
    "      <DIAGPARAMNAME>Cell pressure</DIAGPARAMNAME>\n"
    "      <DIAGPARAMREGISTER>45001</DIAGPARAMREGISTER>\n"
    "    </DIAGPARAMETER>\n"
    "  </DIAGNOSTICDATA>\n"
    "</DIAGNOSTICPROFILE>\n";

const std::string kAlarms =
    "<DIAGNOSTICPROFILE>\n"
    "  <DIAGNOSTICALARMS>\n"
    "    <ALARMNAME>Laser power low</ALARMNAME>\n"
    "    <ALARMID>0</ALARMID>\n"
    "    <ALARMNAME>Cell temperature</ALARMNAME>\n"
    "    <ALARMID>2</ALARMID>\n"
    "  </DIAGNOSTICALARMS>\n"
    "</DIAGNOSTICPROFILE>\n";

TEST_F(VxAnaVersion, PollRatesDefaultWhenMissingOrBelowOne)
{
    struct Case {
        const char* rates;   // inserted after <SPECTRAPROFILE>
        int autoRate;
        int demandRate;
    };
    const Case cases[] = {
        {"", 15, 40},
        {"<AUTOPOLLRATE>0</AUTOPOLLRATE>\n<DEMANDPOLLRATE>-1</DEMANDPOLLRATE>\n", 15, 40},
        {"<AUTOPOLLRATE>1</AUTOPOLLRATE>\n<DEMANDPOLLRATE>1</DEMANDPOLLRATE>\n", 1, 1},
        {"<AUTOPOLLRATE>30</AUTOPOLLRATE>\n", 30, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rates);
        TearDown();
        SetUp();
        ProfileTree pt;
        std::string spectra = kSpectra;
        pt.profile("vxSpectraPageProfile.xml", spectra.insert(spectra.find('\n') + 1, c.rates));
        ASSERT_EQ(pt.load(), 0);
        EXPECT_EQ(vx.spData.autoPollRate, c.autoRate);
        EXPECT_EQ(vx.spData.demandPollRate, c.demandRate);
        EXPECT_EQ(vx.spData.appPtr, &vx.spData.ns);
        std::string log = pt.log();
        EXPECT_EQ(vxtest::countLines(log, "Auto poll rate: " + std::to_string(c.autoRate)), 1);
        EXPECT_EQ(vxtest::countLines(log, "Demand poll rate: " + std::to_string(c.demandRate)), 1);
        EXPECT_EQ(vxtest::countLines(log, "Loaded: 2, Plot A curves"), 1);
        EXPECT_EQ(vxtest::countLines(log, "Loaded: 0, Plot B curves"), 1);
    }
}

TEST_F(VxAnaVersion, MissingEmptyAndTruncatedProfiles)
{
    // Missing or empty profiles contribute nothing: the pages run without definitions.
    for (bool empty : {false, true}) {
        SCOPED_TRACE(empty ? "empty" : "missing");
        TearDown();
        SetUp();
        ProfileTree pt;
        if (empty)
            for (const char* name : {"vxSpectraPageProfile.xml", "vxParamsPageProfile.xml",
                                     "vxDiagnosticPageProfile.xml", "vxDiagnosticAlarmsProfile.xml"})
                pt.profile(name, "");
        vx.anaDetails.status = 5;
        EXPECT_EQ(pt.load(), 0);
        EXPECT_EQ(vx.anaDetails.status, 0);
        EXPECT_EQ(vx.spData.appPtr, nullptr);
        EXPECT_EQ(vx.spData.autoPollRate, 15);
        EXPECT_EQ(vx.spData.demandPollRate, 40);
        EXPECT_EQ(vx.ppData.plData.tvMenu.groupCnt, 0);
        EXPECT_EQ(vx.dpData.dvData.appPtr, &vx.dpData.dvData.ns);   // selected before reading
        std::string log = pt.log();
        EXPECT_EQ(vxtest::countLines(log, "Plot A curves"), 0);     // no spectra application
        EXPECT_EQ(vxtest::countLines(log, "Loaded: 0, parameter groups"), 1);
        EXPECT_EQ(vxtest::countLines(log, "Loaded: 0, diagnostic parameter"), 1);
        EXPECT_EQ(vxtest::countLines(log, "Loaded: 0, diagnostic alarms"), 1);
    }

    // Files cut off inside a block (the last line without its line feed): what
    // was complete is kept, the unfinished entry is not counted.
    TearDown();
    SetUp();
    ProfileTree pt;
    pt.profile("vxSpectraPageProfile.xml", kSpectra.substr(0, kSpectra.find("<STATE>DISABLED") + 10));
    pt.profile("vxDiagnosticPageProfile.xml", kDiag.substr(0, kDiag.find("</DIAGPARAMETER>")));
    pt.profile("vxDiagnosticAlarmsProfile.xml", kAlarms.substr(0, kAlarms.find("<ALARMID>2")));
    EXPECT_EQ(pt.load(), 0);
    ASSERT_EQ(vx.spData.appPtr, &vx.spData.ns);
    EXPECT_EQ(vx.spData.ns.plotAcnt, 1);
    EXPECT_STREQ(vx.spData.ns.plotA[0].name, "Dry spectrum");
    const vxDiagAppInfo& diag = vx.dpData.dvData.ns;
    EXPECT_EQ(diag.alarmRegister, 45010);
    EXPECT_EQ(diag.paramCnt, 1);
    EXPECT_EQ(diag.alarmCnt, 1);
    EXPECT_STREQ(diag.alarm[0].name, "Laser power low");
}

TEST_F(VxAnaVersion, SupportedEntryWithoutFolderIsRefused)
{
    // An empty folder would name no profile file at all.
    ProfileTree pt("");
    vx.anaDetails.status = 5;
    EXPECT_EQ(pt.load(), -2);
    ASSERT_EQ(vx.anaSupVer.cnt, 1);
    EXPECT_EQ(vx.anaDetails.status, 5);
    EXPECT_EQ(vxtest::countLines(pt.log(), "Auto poll rate"), 0);
}

}  // namespace
