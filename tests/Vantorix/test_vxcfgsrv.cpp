// The main program's configuration keys: small configuration texts written
// to a temporary tree and read with vxCfgRead (or as a profile with
// vxCfgReadInclude), then the application record and the log file checked.
// Also the three small services the handlers call.
#include "vxCfgSrv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "qkcfgsrv.h"
#include "qkfilesrv.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "vxInit.h"
#include "vxModbusProtocolSrv.h"
#include "vxMonitorPageSrv.h"
#include "vxSpectraPage2fSrv.h"
#include "vxtestsupport.h"

namespace {

// A fresh application record and tree per read; the log of each read goes to
// the tree's log.txt.
class CfgRead {
public:
    CfgRead() : app(new vxInfo{})
    {
        app->suPtr = nullptr;
        vxGetResources(app.get());   // the main window's record holds the reader
    }
    ~CfgRead()
    {
        vxCfgFree(app.get());
        vxFreeResources(app.get());
        qksysMemFree(app->mpData.mode1.idPtr);
        qklogcls();
        qklogsettrace(0);
        qklogsetstdout(0);
        qkFileSetAudit(0);
    }
    std::string logPath() const { return tree.path("log.txt"); }
    std::string logHeader() const { return "<LOGCFG>\n<NAME>" + logPath() + "</NAME>\n</LOGCFG>\n"; }
    // Writes the configuration (after a log block) and reads it.
    int read(const std::string& body, bool withLog = true)
    {
        std::string path = tree.write("cfg/vxMain.xml", (withLog ? logHeader() : "") + body);
        qkstrset(app->cfg.path, path.c_str());
        return vxCfgRead(app.get());
    }
    std::string log()
    {
        std::fflush(qkloggetfd());
        return vxtest::readFile(logPath());
    }

    vxtest::TempTree tree;
    std::unique_ptr<vxInfo> app;
};

std::string repeat(int n, const std::function<std::string(int)>& block)
{
    std::string s;
    for (int i = 0; i < n; ++i) s += block(i);
    return s;
}

}  // namespace

// ---- one case per package and key group ---------------------------------------------

TEST(VxCfgSrv, KeysActOnlyInTheirPackages)
{
    struct Case {
        const char* what;
        std::string body;
        std::function<void(vxInfo&, const std::string& log)> check;
    };
    const std::vector<Case> cases = {
        {"main settings",
         "<MAINCFG>\n<SCANRATE>0x20</SCANRATE>\n<COMMAUDIT>3</COMMAUDIT>\n<QKCFGAUDIT>7</QKCFGAUDIT>\n</MAINCFG>\n",
         [](vxInfo& a, const std::string&) {
             EXPECT_EQ(a.srvrate, 32);
             EXPECT_EQ(a.anaCom.audit, 3);
             EXPECT_EQ(a.audit, 7);
         }},
        {"settings outside their package",
         "<NAME>elsewhere.log</NAME>\n<SCANRATE>10</SCANRATE>\n<LOGCFG>\n<SCANRATE>11</SCANRATE>\n"
         "<AUDIT>5</AUDIT>\n</LOGCFG>\n<MAINCFG>\n<NAME>x</NAME>\n<EXCLUDE>COM1</EXCLUDE>\n</MAINCFG>\n",
         [](vxInfo& a, const std::string&) {
             EXPECT_NE(std::string(a.log.path), "elsewhere.log");
             EXPECT_EQ(a.srvrate, 0);
             EXPECT_EQ(a.audit, 0);
             EXPECT_EQ(a.anaFind.excludeCnt, 0);
         }},
        {"AUDIT keeps the low 16 bits, sign-extended",
         "<MAINCFG>\n<AUDIT>0x1FFFF</AUDIT>\n</MAINCFG>\n",
         [](vxInfo& a, const std::string&) { EXPECT_EQ(a.audit, -1); }},
        {"AUDIT 2048 switches the trace on at once",
         "<MAINCFG>\n<AUDIT>2048</AUDIT>\n<SCANRATE>5</SCANRATE>\n</MAINCFG>\n",
         [](vxInfo& a, const std::string& log) {
             EXPECT_EQ(a.audit, 2048);
             EXPECT_EQ(gqk_LogTraceFlag.load(), 1);
             // The element handler of the next key is traced.
             EXPECT_GE(vxtest::countLines(log, "vxCfgElem"), 1) << log;
         }},
        {"reader and file audits",
         "<CONFIGFILECFG>\n<QKCFGAUDIT>0</QKCFGAUDIT>\n<FILEAUDIT>4</FILEAUDIT>\n</CONFIGFILECFG>\n",
         [](vxInfo& a, const std::string&) {
             EXPECT_EQ(a.cfg.cfgPtr->audit, 0);
             EXPECT_EQ(gqk_fileaudit, 4);
             EXPECT_EQ(a.audit, 0);
         }},
        {"MODE1DURATION is minutes, stored in seconds",
         "<MODE1DURATION>9</MODE1DURATION>\n<RUNDIAGNOSTICS>\n<MODE1DURATION>5</MODE1DURATION>\n</RUNDIAGNOSTICS>\n",
         [](vxInfo& a, const std::string& log) {
             EXPECT_EQ(a.runDiag.mode1Duration, 300);
             EXPECT_EQ(vxtest::countLines(log, "vxCfgElem: Run Diagnostics mode 1 duration is: 300 seconds"), 1);
         }},
        {"CAPTUREDATA only in DATAFILE under MAINCFG",
         "<DATAFILE>\n<CAPTUREDATA>top.txt</CAPTUREDATA>\n</DATAFILE>\n"
         "<MAINCFG>\n<CAPTUREDATA>main.txt</CAPTUREDATA>\n</MAINCFG>\n"
         "<FINDANALYZER>\n<DATAFILE>\n<CAPTUREDATA>find.txt</CAPTUREDATA>\n</DATAFILE>\n</FINDANALYZER>\n"
         "<MAINCFG>\n<DATAFILE>\n<CAPTUREDATA>../logs/cap.txt</CAPTUREDATA>\n</DATAFILE>\n</MAINCFG>\n",
         [](vxInfo& a, const std::string& log) {
             EXPECT_STREQ(a.dataFile.path, "../logs/cap.txt");
             EXPECT_EQ(vxtest::countLines(log, "CAPTUREDATA file name:"), 1);
             EXPECT_EQ(vxtest::countLines(log, "vxCfgElem: CAPTUREDATA file name: ../logs/cap.txt"), 1);
         }},
        {"EXCLUDE and BAUDRATE hold 10 entries each",
         "<FINDANALYZER>\n" +
             repeat(12, [](int i) {
                 return "<EXCLUDE>COM" + std::to_string(i) + " -</EXCLUDE>\n<BAUDRATE>" + std::to_string(1000 + i) +
                        "</BAUDRATE>\n";
             }) +
             "</FINDANALYZER>\n",
         [](vxInfo& a, const std::string&) {
             EXPECT_EQ(a.anaFind.excludeCnt, 10);
             EXPECT_EQ(a.anaFind.baudCnt, 10);
             EXPECT_STREQ(a.anaFind.exclude[0], "COM0 -");
             EXPECT_STREQ(a.anaFind.exclude[9], "COM9 -");
             EXPECT_EQ(a.anaFind.buadRate[9], 1009);
             EXPECT_EQ(a.anaFind.msgBuf[0], '\0');   // the field after the list is untouched
         }},
        {"a value over 127 characters stops the reading, what was read stays",
         "<MAINCFG>\n<SCANRATE>4</SCANRATE>\n<CAPTUREDATA>" + std::string(128, 'x') +
             "</CAPTUREDATA>\n<COMMAUDIT>1</COMMAUDIT>\n</MAINCFG>\n",
         [](vxInfo& a, const std::string& log) {
             EXPECT_EQ(a.srvrate, 4);
             EXPECT_EQ(a.anaCom.audit, 0);
             // Once for the program's pass, once for the main window's.
             EXPECT_EQ(vxtest::countLines(log, "error string name: CAPTUREDATA, value to large"), 2);
         }},
        {"the closing tag of a name that is no package changes nothing",
         "<MAINCFG>\n</SCANRATE>\n</UNKNOWN>\n<SCANRATE>7</SCANRATE>\n</MAINCFG>\n<SCANRATE>8</SCANRATE>\n",
         [](vxInfo& a, const std::string&) {
             EXPECT_EQ(a.srvrate, 7);
             EXPECT_EQ(a.cfg.pkgNdx, -1);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CfgRead r;
        ASSERT_EQ(r.read(c.body), 0);
        std::string log = r.log();
        c.check(*r.app, log);
    }
}

TEST(VxCfgSrv, StdoutFlagFollowsTheKeyUnlessMinusDWasGiven)
{
    for (int minusD : {0, 1}) {
        SCOPED_TRACE(minusD);
        CfgRead r;
        qkstartupCmdLnInfo su{};
        su.argCnt = 1;
        su.args[0].id = 'd';
        su.args[0].state = minusD;
        r.app->suPtr = &su;
        qklogsetstdout(1);
        ASSERT_EQ(r.read("<LOGCFG>\n<STDOUTFLAG>0</STDOUTFLAG>\n</LOGCFG>\n"), 0);
        EXPECT_EQ(r.app->log.stdoutflag, 0);
        EXPECT_EQ(gqk_LogStdOutFlag.load(), minusD);
        qklogsetstdout(0);
        ASSERT_EQ(r.read("<LOGCFG>\n<STDOUTFLAG>1</STDOUTFLAG>\n</LOGCFG>\n"), 0);
        EXPECT_EQ(r.app->log.stdoutflag, 1);
        EXPECT_EQ(gqk_LogStdOutFlag.load(), 1);
        r.app->suPtr = nullptr;
    }
}

TEST(VxCfgSrv, LogFileIsOpenedByNameAndCountsTheKeys)
{
    CfgRead r;
    ASSERT_EQ(r.read("<MAINCFG>\n<SCANRATE>50</SCANRATE>\n</MAINCFG>\n"), 0);
    EXPECT_EQ(std::string(r.app->log.path), r.logPath());
    EXPECT_EQ(r.app->cfgPtr, &r.app->cfg);
    // Key records: LOGCFG, NAME, MAINCFG, SCANRATE.
    EXPECT_EQ(vxtest::countLines(r.log(), "vxCfgLoad: processed: 4 config parameters"), 1) << r.log();
    EXPECT_EQ(r.app->cfg.pkgNdx, -1);
}

TEST(VxCfgSrv, MissingOrEmptyFileFailsTheRead)
{
    for (const char* body : {static_cast<const char*>(""), static_cast<const char*>(nullptr)}) {
        CfgRead r;
        if (body) {
            EXPECT_EQ(r.read(body, false), -2);
        } else {
            qkstrset(r.app->cfg.path, r.tree.path("cfg/none.xml").c_str());
            EXPECT_EQ(vxCfgRead(r.app.get()), -2);
        }
        ASSERT_NE(r.app->cfg.cfgPtr, nullptr);
        EXPECT_EQ(r.app->cfg.cfgPtr->numArgs, VX_CFGKEYCNT);
    }
}

// ---- supported versions and monitor profiles -----------------------------------------

TEST(VxCfgSrv, SupportedVersionsAreClosedByFolder)
{
    CfgRead r;
    std::string body =
        "<SUPPORTED>\n"
        "<VXVERSION>\n<HWTYPE>HC12</HWTYPE>\n<APPTYPE>PP2F</APPTYPE>\n<REVISION>2.30</REVISION>\n"
        "<BUILD>0123</BUILD>\n<FOLDER>HC12_PP2F_2.30</FOLDER>\n</VXVERSION>\n"
        // Without FOLDER the entry stays open: the next block writes over it.
        "<VXVERSION>\n<HWTYPE>ARM9</HWTYPE>\n<REVISION>9.99</REVISION>\n</VXVERSION>\n"
        "<VXVERSION>\n<APPTYPE>NS</APPTYPE>\n<REVISION>1.12</REVISION>\n<BUILD>A0</BUILD>\n"
        "<FOLDER>ARM9_NS_1.12</FOLDER>\n</VXVERSION>\n"
        "</SUPPORTED>\n"
        // Version keys outside a version block do nothing.
        "<SUPPORTED>\n<REVISION>7.77</REVISION>\n<FOLDER>stray</FOLDER>\n</SUPPORTED>\n"
        "<VXVERSION>\n<FOLDER>stray</FOLDER>\n</VXVERSION>\n";
    ASSERT_EQ(r.read(body), 0);
    const vxAnaSupVerInfo& sv = r.app->anaSupVer;
    ASSERT_EQ(sv.cnt, 2);
    EXPECT_EQ(sv.version[0].hwType, 3);
    EXPECT_EQ(sv.version[0].appType, 6);
    EXPECT_STREQ(sv.version[0].revName, "2.30");
    EXPECT_STREQ(sv.version[0].bldName, "0123");
    EXPECT_STREQ(sv.version[0].verFolder, "HC12_PP2F_2.30");
    EXPECT_STREQ(sv.version[1].hwName, "ARM9");
    EXPECT_EQ(sv.version[1].appType, 7);
    EXPECT_STREQ(sv.version[1].revName, "1.12");
    EXPECT_STREQ(sv.version[1].verFolder, "ARM9_NS_1.12");
    EXPECT_EQ(sv.version[2].verFolder[0], '\0');
    EXPECT_EQ(r.app->anaVerPtr, nullptr);   // the setters leave the version in effect alone
}

TEST(VxCfgSrv, SixtyFifthSupportedVersionIsRefused)
{
    CfgRead r;
    std::string body = "<SUPPORTED>\n" + repeat(65, [](int i) {
                           return "<VXVERSION>\n<APPTYPE>FS</APPTYPE>\n<REVISION>" + std::to_string(i) +
                                  "</REVISION>\n<FOLDER>f" + std::to_string(i) + "</FOLDER>\n</VXVERSION>\n";
                       }) + "</SUPPORTED>\n<MAINCFG>\n<SCANRATE>9</SCANRATE>\n</MAINCFG>\n";
    ASSERT_EQ(r.read(body), 0);
    EXPECT_EQ(r.app->anaSupVer.cnt, 64);
    EXPECT_STREQ(r.app->anaSupVer.version[63].verFolder, "f63");
    EXPECT_STREQ(r.app->anaSupVer.version[63].revName, "63");
    EXPECT_EQ(vxtest::countLines(r.log(), "vxCfgElem: Max number of supported vesrion exceeded: 64"), 1);
    EXPECT_EQ(r.app->srvrate, 9);   // reading goes on
}

TEST(VxCfgSrv, MonitorProfilesCollectTheirVersionAndColumns)
{
    CfgRead r;
    std::string body =
        "<MONITORPROFILE>\n<VXVERSION>\n<HWTYPE>HC12</HWTYPE>\n<FOLDER>mon</FOLDER>\n</VXVERSION>\n"
        "<MODE1>\n<NAME>Date</NAME>\n<NAME>Time</NAME>\n</MODE1>\n</MONITORPROFILE>\n"
        "<MONITORPROFILE>\n<VXVERSION>\n<APPTYPE>FS</APPTYPE>\n</VXVERSION>\n<MODE1>\n" +
        repeat(70, [](int i) { return "<NAME>c" + std::to_string(i) + "</NAME>\n"; }) +
        "</MODE1>\n</MONITORPROFILE>\n"
        "<SUPPORTED>\n<VXVERSION>\n<APPTYPE>NS</APPTYPE>\n<FOLDER>s</FOLDER>\n</VXVERSION>\n</SUPPORTED>\n";
    ASSERT_EQ(r.read(body), 0);
    const vxMonitorMode1Info& m = r.app->mpData.mode1;
    ASSERT_EQ(m.cnt, 2);
    EXPECT_EQ(m.ndx, 1);
    EXPECT_EQ(m.idPtr[0].id, 1);
    EXPECT_EQ(m.idPtr[0].version.appType, 6);
    EXPECT_STREQ(m.idPtr[0].version.verFolder, "mon");
    EXPECT_EQ(m.idPtr[0].paramCnt, 2);
    EXPECT_STREQ(m.idPtr[0].name[1], "Time");
    EXPECT_EQ(m.idPtr[1].id, 2);
    EXPECT_EQ(m.idPtr[1].version.appType, 8);
    EXPECT_EQ(m.idPtr[1].paramCnt, 64);
    EXPECT_STREQ(m.idPtr[1].name[63], "c63");
    // FOLDER of a monitor profile does not count as a supported version.
    EXPECT_EQ(r.app->anaSupVer.cnt, 1);
    EXPECT_EQ(r.app->anaSupVer.version[0].appType, 7);
}

// ---- includes and user definitions ----------------------------------------------------

TEST(VxCfgSrv, IncludeFilesAreReadInPlace)
{
    struct Case {
        const char* what;
        std::string include;            // text of inc.xml ("" = not written)
        std::vector<std::string> want;  // exclude list after the read
    };
    const std::vector<Case> cases = {
        {"keys in order", "<FINDANALYZER>\n<EXCLUDE>B</EXCLUDE>\n</FINDANALYZER>\n", {"A", "B", "C"}},
        {"missing file contributes nothing", "", {"A", "C"}},
        {"nested include",
         "<FINDANALYZER>\n<EXCLUDE>B</EXCLUDE>\n</FINDANALYZER>\n<INCLUDE>\n<NAME>@/inner.xml</NAME>\n</INCLUDE>\n"
         "<FINDANALYZER>\n<EXCLUDE>B2</EXCLUDE>\n</FINDANALYZER>\n",
         {"A", "B", "I", "B2", "C"}},
        {"include that stops at a record without a tag",
         "<FINDANALYZER>\n<EXCLUDE>B</EXCLUDE>\nno tag here\n<EXCLUDE>lost</EXCLUDE>\n</FINDANALYZER>\n",
         {"A", "B", "C"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CfgRead r;
        std::string dir = r.tree.path("cfg");
        r.tree.write("cfg/inner.xml", "<FINDANALYZER>\n<EXCLUDE>I</EXCLUDE>\n</FINDANALYZER>\n");
        if (!c.include.empty()) {
            std::string text = c.include;
            for (size_t p; (p = text.find('@')) != std::string::npos;) text.replace(p, 1, dir);
            r.tree.write("cfg/inc.xml", text);
        }
        std::string body = "<FINDANALYZER>\n<EXCLUDE>A</EXCLUDE>\n</FINDANALYZER>\n<INCLUDE>\n<NAME>" + dir +
                           "/inc.xml</NAME>\n</INCLUDE>\n<FINDANALYZER>\n<EXCLUDE>C</EXCLUDE>\n</FINDANALYZER>\n";
        ASSERT_EQ(r.read(body), 0);
        std::vector<std::string> got;
        for (int i = 0; i < r.app->anaFind.excludeCnt; ++i) got.push_back(r.app->anaFind.exclude[i]);
        EXPECT_EQ(got, c.want);
        // The count of the main file is its own: LOGCFG NAME, 2 x (FINDANALYZER EXCLUDE), INCLUDE NAME.
        EXPECT_EQ(vxtest::countLines(r.log(), "vxCfgLoad: processed: 8 config parameters"), 1) << r.log();
        EXPECT_EQ(r.app->cfg.pkgNdx, -1);
    }
}

TEST(VxCfgSrv, EmptyIncludeNameIsRefused)
{
    CfgRead r;
    ASSERT_EQ(r.read("<INCLUDE>\n<NAME></NAME>\n</INCLUDE>\n<MAINCFG>\n<SCANRATE>3</SCANRATE>\n</MAINCFG>\n"), 0);
    EXPECT_EQ(vxtest::countLines(r.log(), "vxGetIncludeFile: no path name"), 1);
    EXPECT_EQ(r.app->srvrate, 3);
    r.app->cfg.incName[0] = '\0';
    EXPECT_EQ(vxGetIncludeFile(r.app.get()), -2);
}

TEST(VxCfgSrv, UserDefinitionsReplaceTokensAfterTheirBlock)
{
    CfgRead r;
    std::string defs = r.tree.write("usercfg/defs.txt", "USER$PORT\tCOM7 -\r\n  USER$RATE \t 19200\nshort\n");
    std::string body = "<FINDANALYZER>\n<EXCLUDE>USER$PORT</EXCLUDE>\n</FINDANALYZER>\n"
                       "<USERDEFINITION>\n<NAME>" + defs + "</NAME>\n</USERDEFINITION>\n"
                       "<FINDANALYZER>\n<EXCLUDE>USER$PORT</EXCLUDE>\n<BAUDRATE>USER$RATE</BAUDRATE>\n</FINDANALYZER>\n";
    ASSERT_EQ(r.read(body), 0);
    ASSERT_EQ(r.app->anaFind.excludeCnt, 2);
    EXPECT_STREQ(r.app->anaFind.exclude[0], "USER$PORT");
    EXPECT_STREQ(r.app->anaFind.exclude[1], "COM7 -");
    EXPECT_EQ(r.app->anaFind.buadRate[0], 19200);
    EXPECT_STREQ(r.app->cfg.cfgPtr->defName, defs.c_str());
}

// ---- version profiles ---------------------------------------------------------------------

class CfgProfile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(r.read("<MAINCFG>\n</MAINCFG>\n"), 0); }
    int profile(const std::string& text)
    {
        return vxCfgReadInclude(r.app.get(), r.tree.write("cfg/versioncfg/p.xml", text).c_str());
    }
    CfgRead r;
};

TEST_F(CfgProfile, SpectraProfileFillsTheSelectedApplication)
{
    std::string ref = r.tree.write("cfg/ref/osp.txt", "5\n-6\n");
    std::string text =
        "<SPECTRAPROFILE>\n<AUTOPOLLRATE>7</AUTOPOLLRATE>\n<DEMANDPOLLRATE>30</DEMANDPOLLRATE>\n"
        "<SPECTRASIZE>800</SPECTRASIZE>\n"
        "<APPLICATION>\n<NAME>PP2F</NAME>\n"
        "<PLOTA>\n<NAME>AC</NAME>\n<COLOR>Blue</COLOR>\n<DPID>12</DPID>\n<OVERLAY>ENABLED</OVERLAY>\n"
        "<STATE>ENABLED</STATE>\n"
        // STATE before NAME: the name belongs to the next curve.
        "<STATE>DISABLED</STATE>\n<NAME>late</NAME>\n</PLOTA>\n"
        "<PLOTB>\n<NAME>ref</NAME>\n<DPID>400102</DPID>\n<DATAFILE>\n<PATH>" + ref + "</PATH>\n</DATAFILE>\n"
        "<STATE>enabled</STATE>\n</PLOTB>\n"
        "<DIAGNOSTICHEADER>\n<PARAMETER>\n<NAME>Peak</NAME>\n<TYPE>FLOAT32</TYPE>\n<DISPLAY>ENABLED</DISPLAY>\n"
        "</PARAMETER>\n<PARAMETER>\n<NAME>Odd</NAME>\n<TYPE>BYTE</TYPE>\n<DISPLAY>NO</DISPLAY>\n</PARAMETER>\n"
        "</DIAGNOSTICHEADER>\n</APPLICATION>\n"
        // An unknown application deselects: its curves go nowhere.
        "<APPLICATION>\n<NAME>XX</NAME>\n<PLOTA>\n<NAME>lost</NAME>\n<STATE>ENABLED</STATE>\n</PLOTA>\n"
        "<DIAGNOSTICHEADER>\n<PARAMETER>\n<NAME>lost</NAME>\n<DISPLAY>ENABLED</DISPLAY>\n</PARAMETER>\n"
        "</DIAGNOSTICHEADER>\n</APPLICATION>\n"
        "<APPLICATION>\n<NAME>NS</NAME>\n<PLOTC>\n<NAME>wet</NAME>\n<DPID>400041</DPID>\n<STATE>ENABLED</STATE>\n"
        "</PLOTC>\n</APPLICATION>\n</SPECTRAPROFILE>\n";
    ASSERT_EQ(profile(text), 0);
    const vxSpectraPageInfo& sp = r.app->spData;
    EXPECT_EQ(sp.autoPollRate, 7);
    EXPECT_EQ(sp.demandPollRate, 30);
    EXPECT_EQ(sp.spectraSize, 0);   // registered, no effect
    const vxSpectraAppInfo& f2 = sp.f2;
    ASSERT_EQ(f2.plotAcnt, 2);
    EXPECT_STREQ(f2.plotA[0].name, "AC");
    EXPECT_STREQ(f2.plotA[0].color, "Blue");
    EXPECT_EQ(f2.plotA[0].dpid, 12);
    EXPECT_EQ(f2.plotA[0].state, 1);
    EXPECT_EQ(f2.plotA[0].overLay, 1);
    EXPECT_EQ(f2.plotA[1].name[0], '\0');
    EXPECT_EQ(f2.plotA[1].state, 0);
    EXPECT_STREQ(f2.plotA[2].name, "late");
    ASSERT_EQ(f2.plotBcnt, 1);
    EXPECT_EQ(f2.plotB[0].state, 0);   // only "ENABLED" enables
    EXPECT_EQ(sp.hc12ach2osp[0], 5);
    EXPECT_EQ(sp.hc12ach2osp[1], -6);
    ASSERT_EQ(f2.digHdrCnt, 2);
    EXPECT_STREQ(f2.digHdr[0].name, "Peak");
    EXPECT_EQ(f2.digHdr[0].type, VX_FC10_FLOAT32);
    EXPECT_EQ(f2.digHdr[0].dspFlag, 1);
    EXPECT_EQ(f2.digHdr[1].type, VX_FC10_NONE);
    EXPECT_EQ(f2.digHdr[1].dspFlag, 0);
    EXPECT_EQ(sp.fs.plotAcnt + sp.fs.digHdrCnt + sp.ns.plotAcnt + sp.ns.digHdrCnt, 0);
    ASSERT_EQ(sp.ns.plotCcnt, 1);
    EXPECT_EQ(sp.ns.plotC[0].dpid, 400041);
    EXPECT_EQ(sp.appPtr, &sp.ns);
    EXPECT_EQ(r.app->cfg.pkgNdx, -1);
}

TEST_F(CfgProfile, CurveAndHeaderListsStopAtTheirCapacity)
{
    std::string text = "<SPECTRAPROFILE>\n<APPLICATION>\n<NAME>FS</NAME>\n<PLOTB>\n" +
                       repeat(20, [](int i) {
                           return "<NAME>c" + std::to_string(i) + "</NAME>\n<DPID>" + std::to_string(i) +
                                  "</DPID>\n<STATE>ENABLED</STATE>\n";
                       }) +
                       "</PLOTB>\n<DIAGNOSTICHEADER>\n" +
                       repeat(40, [](int i) {
                           return "<PARAMETER>\n<NAME>h" + std::to_string(i) +
                                  "</NAME>\n<TYPE>INT16</TYPE>\n<DISPLAY>ENABLED</DISPLAY>\n</PARAMETER>\n";
                       }) +
                       "</DIAGNOSTICHEADER>\n</APPLICATION>\n</SPECTRAPROFILE>\n";
    ASSERT_EQ(profile(text), 0);
    const vxSpectraAppInfo& fs = r.app->spData.fs;
    EXPECT_EQ(fs.plotBcnt, 16);
    EXPECT_STREQ(fs.plotB[15].name, "c15");
    EXPECT_EQ(fs.plotCcnt, 0);
    EXPECT_EQ(fs.plotC[0].name[0], '\0');   // the list after plot B is untouched
    EXPECT_EQ(fs.digHdrCnt, 32);
    EXPECT_STREQ(fs.digHdr[31].name, "h31");
    EXPECT_EQ(fs.plotA[0].name[0], '\0');
}

TEST_F(CfgProfile, ParameterGroupsAndRegisterClasses)
{
    std::string text =
        "<PARAMETERPROFILE>\n<PARAMLISTGROUP>\n<NAME>Setup</NAME>\n"
        "<PARAMETER>\n<PARAMNAME>Cell temp</PARAMNAME>\n<PARAMAPP>3</PARAMAPP>\n<PARAMPROMPT>deg C</PARAMPROMPT>\n"
        "<PARAMMAX>60.5</PARAMMAX>\n<PARAMMIN>-10</PARAMMIN>\n<PARAMPASSWORD>5206</PARAMPASSWORD>\n"
        "<PARAMREGISTER>43001</PARAMREGISTER>\n</PARAMETER>\n"
        "<PARAMETER>\n<PARAMNAME>Count</PARAMNAME>\n<PARAMREGISTER>45001</PARAMREGISTER>\n</PARAMETER>\n"
        "<PARAMETER>\n<PARAMNAME>Gain</PARAMNAME>\n<PARAMREGISTER>49000</PARAMREGISTER>\n</PARAMETER>\n"
        "<PARAMETER>\n<PARAMNAME>Bad</PARAMNAME>\n<PARAMREGISTER>40001</PARAMREGISTER>\n</PARAMETER>\n"
        "</PARAMLISTGROUP>\n"
        // Parameters of a group block without a NAME go nowhere.
        "<PARAMLISTGROUP>\n<PARAMETER>\n<PARAMNAME>orphan</PARAMNAME>\n<PARAMREGISTER>43002</PARAMREGISTER>\n"
        "</PARAMETER>\n</PARAMLISTGROUP>\n"
        "<PARAMLISTGROUP>\n<NAME>Alarms</NAME>\n</PARAMLISTGROUP>\n</PARAMETERPROFILE>\n";
    ASSERT_EQ(profile(text), 0);
    const vxParamTvInfo& tv = r.app->ppData.plData.tvMenu;
    ASSERT_EQ(tv.groupCnt, 2);
    EXPECT_STREQ(tv.group[0].name, "Setup");
    EXPECT_STREQ(tv.group[1].name, "Alarms");
    EXPECT_EQ(tv.group[1].itemCnt, 0);
    ASSERT_EQ(tv.group[0].itemCnt, 4);
    const vxParamTvItemInfo& t = tv.group[0].items[0];
    EXPECT_STREQ(t.paramName, "Cell temp");
    EXPECT_EQ(t.paramApp, 3);
    EXPECT_STREQ(t.paramPrompt, "deg C");
    EXPECT_FLOAT_EQ(t.paramMax, 60.5f);
    EXPECT_FLOAT_EQ(t.paramMin, -10.0f);
    EXPECT_EQ(t.paramPwId, 5206);
    EXPECT_EQ(t.paramMbReg, 43001);
    EXPECT_EQ(t.paramType, VX_MBREG_INT16);
    EXPECT_EQ(tv.group[0].items[1].paramType, VX_MBREG_INT32);
    EXPECT_EQ(tv.group[0].items[2].paramType, VX_MBREG_FLOAT);
    EXPECT_EQ(tv.group[0].items[3].paramType, VX_MBREG_INVALID);
    EXPECT_EQ(vxtest::countLines(r.log(), "vxValidateMbReg: Invalid modbus register: 0"), 1);
}

TEST_F(CfgProfile, ParameterListsStopAtTheirCapacity)
{
    std::string text = "<PARAMETERPROFILE>\n" + repeat(34, [](int g) {
                           std::string s = "<PARAMLISTGROUP>\n<NAME>g" + std::to_string(g) + "</NAME>\n";
                           int n = g == 0 ? 130 : 1;
                           for (int i = 0; i < n; ++i)
                               s += "<PARAMETER>\n<PARAMNAME>p" + std::to_string(g) + "." + std::to_string(i) +
                                    "</PARAMNAME>\n<PARAMREGISTER>43001</PARAMREGISTER>\n</PARAMETER>\n";
                           return s + "</PARAMLISTGROUP>\n";
                       }) + "</PARAMETERPROFILE>\n";
    ASSERT_EQ(profile(text), 0);
    const vxParamTvInfo& tv = r.app->ppData.plData.tvMenu;
    EXPECT_EQ(tv.groupCnt, 32);
    EXPECT_EQ(tv.group[0].itemCnt, 128);
    EXPECT_STREQ(tv.group[0].items[127].paramName, "p0.127");
    // The groups beyond the 32nd keep their parameters out of the last group.
    EXPECT_EQ(tv.group[31].itemCnt, 1);
    EXPECT_STREQ(tv.group[31].items[0].paramName, "p31.0");
    EXPECT_EQ(tv.group[31].items[1].paramName[0], '\0');
}

TEST_F(CfgProfile, DiagnosticProfilesFillOnlyTheSelectedRecord)
{
    std::string text =
        "<DIAGNOSTICPROFILE>\n<ALARMREGISTER>45011</ALARMREGISTER>\n<DIAGNOSTICDATA>\n" +
        repeat(52, [](int i) {
            return "<DIAGPARAMETER>\n<DIAGPARAMNAME>d" + std::to_string(i) +
                   "</DIAGPARAMNAME>\n<DIAGPARAMREGISTER>" + std::to_string(45001 + i) +
                   "</DIAGPARAMREGISTER>\n</DIAGPARAMETER>\n";
        }) +
        "</DIAGNOSTICDATA>\n<DIAGNOSTICALARMS>\n" +
        repeat(33, [](int i) {
            return "<ALARMNAME>a" + std::to_string(i) + "</ALARMNAME>\n<ALARMID>" + std::to_string(i) + "</ALARMID>\n";
        }) +
        "</DIAGNOSTICALARMS>\n</DIAGNOSTICPROFILE>\n";

    // No record selected: nothing is stored.
    ASSERT_EQ(profile(text), 0);
    const vxDiagValueInfo& dv = r.app->dpData.dvData;
    EXPECT_EQ(dv.f2.paramCnt + dv.ns.paramCnt + dv.fs.paramCnt + dv.ns.alarmCnt + dv.ns.alarmRegister, 0);

    r.app->dpData.dvData.appPtr = &r.app->dpData.dvData.ns;
    ASSERT_EQ(profile(text), 0);
    EXPECT_EQ(dv.ns.alarmRegister, 45011);
    EXPECT_EQ(dv.ns.paramCnt, 50);
    EXPECT_STREQ(dv.ns.param[49].name, "d49");
    EXPECT_EQ(dv.ns.param[49].mbReg, 45050);
    EXPECT_EQ(dv.ns.alarmCnt, 32);
    EXPECT_STREQ(dv.ns.alarm[31].name, "a31");
    EXPECT_EQ(dv.ns.alarm[31].id, 31);
    EXPECT_EQ(dv.fs.paramCnt, 0);
    EXPECT_EQ(dv.fs.param[0].name[0], '\0');   // the record after ns is untouched
}

TEST_F(CfgProfile, TruncatedProfilesAndMisplacedKeysDoNoHarm)
{
    // Cut off inside a curve block; the packages it left open do not reach the next file.
    ASSERT_EQ(profile("<SPECTRAPROFILE>\n<APPLICATION>\n<NAME>PP2F</NAME>\n<PLOTA>\n<NAME>cut</NAME>\n<DPID>12"), 0);
    EXPECT_EQ(r.app->cfg.pkgNdx, -1);
    EXPECT_EQ(r.app->spData.f2.plotAcnt, 0);
    EXPECT_STREQ(r.app->spData.f2.plotA[0].name, "cut");

    // Keys in packages where they mean nothing, and closing tags without openings.
    std::string text =
        "</PLOTA>\n</SPECTRAPROFILE>\n</MAINCFG>\n"
        "<MAINCFG>\n<STATE>ENABLED</STATE>\n<DISPLAY>ENABLED</DISPLAY>\n<PARAMNAME>x</PARAMNAME>\n"
        "<PARAMREGISTER>43001</PARAMREGISTER>\n<DIAGPARAMNAME>x</DIAGPARAMNAME>\n<ALARMID>3</ALARMID>\n"
        "<FOLDER>x</FOLDER>\n<PATH>/nonexistent</PATH>\n<AUTOPOLLRATE>3</AUTOPOLLRATE>\n</MAINCFG>\n"
        "<PLOTA>\n<TYPE>INT16</TYPE>\n<DISPLAY>ENABLED</DISPLAY>\n</PLOTA>\n"
        "<PARAMETER>\n<PARAMNAME>nogroup</PARAMNAME>\n<PARAMREGISTER>43001</PARAMREGISTER>\n</PARAMETER>\n"
        "<DIAGNOSTICALARMS>\n<ALARMREGISTER>1</ALARMREGISTER>\n</DIAGNOSTICALARMS>\n";
    ASSERT_EQ(profile(text), 0);
    const vxInfo& a = *r.app;
    EXPECT_EQ(a.spData.f2.plotAcnt, 0);   // the PP2F selection stays, but STATE stood in MAINCFG
    EXPECT_EQ(a.spData.f2.digHdrCnt, 0);
    EXPECT_EQ(a.spData.autoPollRate, 0);
    EXPECT_EQ(a.ppData.plData.tvMenu.groupCnt, 0);
    EXPECT_EQ(a.ppData.plData.tvMenu.group[0].items[0].paramName[0], '\0');
    EXPECT_EQ(a.anaSupVer.cnt, 0);
    EXPECT_EQ(a.cfg.pkgNdx, -1);

    // A PLOTA block in the selected application still works afterwards.
    ASSERT_EQ(profile("<SPECTRAPROFILE>\n<APPLICATION>\n<NAME>PP2F</NAME>\n<PLOTA>\n<NAME>ok</NAME>\n"
                      "<STATE>ENABLED</STATE>\n</PLOTA>\n</APPLICATION>\n</SPECTRAPROFILE>\n"),
              0);
    EXPECT_EQ(a.spData.f2.plotAcnt, 1);
    EXPECT_STREQ(a.spData.f2.plotA[0].name, "ok");
}

TEST_F(CfgProfile, ProfileNameMustBeGiven)
{
    EXPECT_EQ(vxCfgReadInclude(r.app.get(), ""), -2);
    EXPECT_EQ(vxCfgReadInclude(r.app.get(), r.tree.path("cfg/missing.xml").c_str()), 0);
    auto fresh = std::make_unique<vxInfo>();
    EXPECT_EQ(vxCfgReadInclude(fresh.get(), r.tree.path("cfg/vxMain.xml").c_str()), -2);   // no reader yet
}

// ---- the small services the handlers call ----------------------------------------------

TEST(VxModbusProtocolSrv, RegisterClassesByAddress)
{
    const struct {
        int reg;
        int type;
        int status;
    } cases[] = {
        {2999, 0, -2}, {3000, 1, 0}, {4999, 1, 0}, {5000, 2, 0}, {6999, 2, 0},
        {7000, 3, 0},  {8999, 3, 0}, {9000, 0, -2}, {-1, 0, -2},
    };
    auto app = std::make_unique<vxInfo>();
    for (const auto& c : cases) {
        app->mbData.mbRegType = 99;
        app->mbData.mbReg = c.reg;
        EXPECT_EQ(vxValidateMbReg(app.get()), c.status) << c.reg;
        EXPECT_EQ(app->mbData.mbRegType, c.type) << c.reg;
    }
}

TEST(VxMonitorPageSrv, ProfileRegisterGrowsByOneClearedEntry)
{
    vxMonitorMode1Info m{};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(vxMonProfileRegister(&m), 0);
        m.idPtr[m.ndx].paramCnt = 7;
        qkstrset(m.idPtr[m.ndx].name[63], "last");
    }
    EXPECT_EQ(m.cnt, 3);
    EXPECT_EQ(m.ndx, 2);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(m.idPtr[i].id, i + 1);
        EXPECT_STREQ(m.idPtr[i].name[63], "last");   // kept when the array grows
    }
    ASSERT_EQ(vxMonProfileRegister(&m), 0);
    EXPECT_EQ(m.idPtr[3].paramCnt, 0);
    EXPECT_EQ(m.idPtr[3].name[63][0], '\0');
    qksysMemFree(m.idPtr);
}

TEST(VxSpectraPage2fSrv, ReferenceCurveFiles)
{
    vxtest::TempTree tree;
    std::string log = tree.path("log.txt");
    ASSERT_EQ(qklogopn(log.c_str()), 0);
    std::string many;
    for (int i = 0; i < 600; ++i) many += std::to_string(i) + "\n";
    struct Case {
        const char* what;
        int32_t dpid;
        std::string text;   // "-" = no file
        int status;
        std::vector<int16_t> head;   // expected first values of the target
        int16_t at511;
    };
    const std::vector<Case> cases = {
        {"600 lines fill 512 values", 400101, many, 0, {0, 1, 2}, 511},
        {"text, blanks, CR LF and 16-bit cut", 400103, "abc\r\n  12\r\n-40000\n7x\n", 0, {0, 12, 25536, 7}, 99},
        {"short file leaves the rest", 400102, "3\n", 0, {3, 99}, 99},
        {"over-long line is one value", 400102, std::string(1500, '1') + "\n4\n", 0, {-1, 4, 99}, 99},
        {"unsupported dpid", 400104, "1\n", -2, {99}, 99},
        {"missing file", 400101, "-", -2, {99}, 99},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto app = std::make_unique<vxInfo>();
        int16_t* arrays[] = {app->spData.hc12ach2odp, app->spData.hc12ach2osp, app->spData.hc12acco2};
        for (int16_t* a : arrays)
            for (int i = 0; i < VX_REFSAMPLES; ++i) a[i] = 99;
        std::string path = c.text == "-" ? tree.path("none.txt") : tree.write("ref.txt", c.text);
        EXPECT_EQ(vxSPload2FdataFile(app.get(), c.dpid, path.c_str()), c.status);
        int16_t* target = c.dpid == 400102 ? arrays[1] : c.dpid == 400103 ? arrays[2] : arrays[0];
        for (size_t i = 0; i < c.head.size(); ++i) EXPECT_EQ(target[i], c.head[i]) << i;
        EXPECT_EQ(target[511], c.at511);
    }
    std::fflush(qkloggetfd());
    std::string text = vxtest::readFile(log);
    EXPECT_EQ(vxtest::countLines(text, "vxSPload2FdataFile: Unsupported dpid for: " + tree.path("ref.txt")), 1);
    EXPECT_EQ(vxtest::countLines(text, "vxSPload2FdataFile: file read error for: " + tree.path("none.txt")), 1);
    qklogcls();
}
