// The built help launcher end to end (offscreen): qkhelpwin runs in an
// installation-like tree with the shipped window definition and documents of
// every kind, and a drive file (VX_DRIVE) picks rows of its list by text. The
// viewers are small scripts that write down what they were given; xdg-open,
// the stand-in for a viewer that is not installed, is one of them too, first
// on PATH. The screenshot stays in the build tree to be looked at.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "vxtestsupport.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const std::string kShots = QKHELPWIN_SHOT_DIR;

// Documents besides the shipped ones: a PDF whose name comes after its
// viewer, one left out ahead of it (its row must not shift the PDF's), and one
// whose file is missing.
constexpr const char* kExtraDocuments =
    "<DOCUMENT>\n  <DOCNAME>../doc/NOTUSED/old.html</DOCNAME>\n  <DOCEXEC>HTML</DOCEXEC>\n</DOCUMENT>\n"
    "<DOCUMENT>\n  <DOCEXEC>PDF</DOCEXEC>\n  <DOCNAME>../doc/manual/service.pdf</DOCNAME>\n</DOCUMENT>\n"
    "<DOCUMENT>\n  <DOCNAME>../doc/missing.html</DOCNAME>\n  <DOCEXEC>HTML</DOCEXEC>\n</DOCUMENT>\n";

class QkHelpWin : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::copy(fs::path(VX_SOURCE_DIR) / "cfg/qkwinstdxml", tree.path("cfg/qkwinstdxml"), fs::copy_options::recursive);
        fs::copy_file(fs::path(VX_SOURCE_DIR) / "usercfg/userresource.txt", tree.path("usercfg/userresource.txt"));
        fs::create_directories(tree.path("logs"));
        fs::create_directories(tree.path("rec"));
        fs::create_directories(kShots);
    }

    // A viewer that writes its arguments, one a line, to rec/<name>.txt.
    std::string recorder(const std::string& relative, const std::string& name) const
    {
        const std::string out = tree.path("rec/" + name + ".txt");
        const std::string path = tree.write(relative, "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + out + ".part && mv " +
                                                          out + ".part " + out + "\n");
        chmod(path.c_str(), 0755);
        return path;
    }
    std::string recorded(const std::string& name) const
    {
        const std::string path = tree.path("rec/" + name + ".txt");
        EXPECT_TRUE(vxtest::waitFor([&] { return vxtest::fileExists(path); }, 10s)) << name;
        return vxtest::readFile(path);
    }
    std::string log() const { return vxtest::readFile(tree.path("logs/qkhelpwin.log")); }

    vxtest::TempTree tree;
    vxtest::EnvGuard offscreen{"QT_QPA_PLATFORM", "offscreen"};
    vxtest::EnvGuard noDrive{"VX_DRIVE", nullptr};
};

TEST_F(QkHelpWin, ListsTheUsedDocumentsAndOpensThePickedOneWithItsViewer)
{
    const std::string root = tree.root();
    tree.write("cfg/qkhelpwin.xml",
               vxtest::readFile(std::string(VX_SOURCE_DIR) + "/cfg/qkhelpwin.xml") + kExtraDocuments);
    for (const char* doc : {"doc/guide/vantorix-guide.html", "doc/guide/vantorix-guide.md", "README.md",
                            "doc/NOTUSED/old.html", "doc/manual/service.pdf"})
        tree.write(doc, "text\n");
    tree.write("usercfg/htmPath.txt", "htmlpath=\"" + recorder("viewers/html", "html") + "\"\n");
    tree.write("usercfg/pdfPath.txt", "pdfpath=\"" + recorder("viewers/pdf", "pdf") + "\"\n");
    tree.write("usercfg/docPath.txt", "docpath=\"" + root + "/viewers/absent\"\n");
    recorder("xdg/xdg-open", "xdg");
    const std::string path = tree.path("xdg") + ":" + (getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin");
    vxtest::EnvGuard xdgFirst{"PATH", path.c_str()};

    fs::remove(kShots + "/qkhelpwin.png");
    const std::string steps = "wait 1000 missing.html\nshot qkhelpwin\nchoose 1000 vantorix-guide.html\n"
                              "choose 1000 service.pdf\nchoose 1000 README.md\nchoose 1000 missing.html\nclose\n";
    vxtest::EnvGuard drive{"VX_DRIVE", tree.write("work/drive.txt", steps).c_str()};
    vxtest::EnvGuard shots{"VX_SCREENSHOT_DIR", kShots.c_str()};
    vxtest::RunResult r = vxtest::run({vxtest::program("qkhelpwin")}, tree.work(), 60s);

    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(log().find("timed out"), std::string::npos) << log();
    EXPECT_TRUE(vxtest::linesInOrder(log(), {"QKHELPWIN started", "Documents listed: 5 of 6",
                                             "Activating document: .*/viewers/html .*/vantorix-guide.html$",
                                             "QKHELPWIN exit"}));
    EXPECT_EQ(recorded("html"), root + "/doc/guide/vantorix-guide.html\n");
    EXPECT_EQ(recorded("pdf"), root + "/doc/manual/service.pdf\n");
    EXPECT_EQ(recorded("xdg"), root + "/README.md\n");
    EXPECT_EQ(vxtest::countLines(log(), "Viewer not found: " + root + "/viewers/absent, opening with xdg-open"), 1);
    EXPECT_EQ(vxtest::countLines(log(), "qkhelpwinlistcb: Document not found: ../doc/missing.html"), 1);
    EXPECT_EQ(vxtest::countLines(r.err, "answered automatically: 124: Document not found: ../doc/missing.html"), 1)
        << r.err;   // the error box
    EXPECT_TRUE(vxtest::fileExists(kShots + "/qkhelpwin.png"));
}

TEST_F(QkHelpWin, StopsBeforeTheWindowOnVersionsAndBrokenConfigurations)
{
    tree.write("cfg/nowindow.xml", "<LOGCFG>\n  <NAME>../logs/qkhelpwin.log</NAME>\n</LOGCFG>\n");
    const struct {
        std::vector<std::string> options;
        const char* where;   // out, err or log
        const char* text;
        bool logOpened;      // -v reads no configuration, so no log
    } cases[] = {
        {{"-v"}, "err", "answered automatically: 121: QK Help Version 2.1.2", false},   // a box only
        {{"-d", "-f", "../cfg/absent.xml"}, "out", "QKHELPWIN configuration error", false},
        {{"-f", "../cfg/nowindow.xml"}, "log", "QKHELPWIN configuration error", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options.front() + " " + c.where);
        fs::remove(tree.path("logs/qkhelpwin.log"));
        std::vector<std::string> argv{vxtest::program("qkhelpwin")};
        argv.insert(argv.end(), c.options.begin(), c.options.end());
        vxtest::RunResult r = vxtest::run(argv, tree.work());
        EXPECT_EQ(r.exitCode, 0);
        const std::string text = std::string(c.where) == "out" ? r.out : std::string(c.where) == "err" ? r.err : log();
        EXPECT_NE(text.find(c.text), std::string::npos) << text;
        EXPECT_EQ(vxtest::fileExists(tree.path("logs/qkhelpwin.log")), c.logOpened);
        EXPECT_EQ(text.find("QKHELPWIN started"), std::string::npos);
    }
}

}  // namespace
