// Data-file reader of the plot engine: reading, comment removal, filtering
// and splitting into records, on real files.
#include "qkdatasrv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "qklogsrv.h"
#include "vxtestsupport.h"

namespace {

using Records = std::vector<std::string>;

struct Parsed {
    int bytes = 0;
    int deleted = 0;
    int filtered = 0;
    int count = 0;
    Records records;
};

// The plot engine's way: comments "/*" "*/", filter "\r", split at line feeds.
Parsed parse(vxtest::TempTree& tree, const std::string& text, int audit = 0)
{
    std::string file = tree.write("cfg/data.txt", text);
    qkdatasrvInfo d{};
    qkdatasetaudit(&d, audit);
    qkdatasetpath(&d, file.c_str());
    qkdatasetcomment(&d, "/*", "*/");
    Parsed p;
    p.bytes = qkdatagetfile(&d);
    p.deleted = qkdatadelcomments(&d);
    p.filtered = qkdatafilter(&d, "\r");
    qkdatasetdelm(&d, '\n');
    p.count = qkdataparsebuf(&d);
    for (int i = 0; i < d.pcnt; ++i) p.records.emplace_back(d.pndx[i]);
    EXPECT_EQ(d.pndx[d.pcnt], nullptr);
    qkdatafreemem(&d);
    return p;
}

TEST(QkDataSrv, SplitsDataFiles)
{
    struct Case {
        const char* what;
        std::string text;
        int deleted, filtered;
        Records records;
    };
    const Case cases[] = {
        {"plain lines", "1 2\n3 4\n", 0, 0, {"1 2", "3 4"}},
        {"last line without line feed", "1\n2", 0, 0, {"1", "2"}},
        {"empty lines kept", "1\n\n2\n", 0, 0, {"1", "", "2"}},
        {"carriage returns filtered", "1\r\n2\r\n", 0, 2, {"1", "2"}},
        {"comments over lines", "/* head\nline */1\n2 /* x */\n", 22, 0, {"1", "2 "}},
        {"comment without end stays", "1\n/* open\n2\n", 0, 0, {"1", "/* open", "2"}},
        {"empty file", "", 0, 0, {}},
        {"zero byte ends the text", std::string("1\n2\0\n3\n", 7), 0, 0, {"1", "2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        vxtest::TempTree tree;
        Parsed p = parse(tree, c.text);
        EXPECT_EQ(p.bytes, static_cast<int>(c.text.size()));
        EXPECT_EQ(p.deleted, c.deleted);
        EXPECT_EQ(p.filtered, c.filtered);
        EXPECT_EQ(p.count, static_cast<int>(c.records.size()));
        EXPECT_EQ(p.records, c.records);
    }
}

TEST(QkDataSrv, AuditLinesAndMissingFile)
{
    vxtest::TempTree tree;
    std::string logPath = tree.path("work/data.log");
    qklogopn(logPath.c_str());
    parse(tree, "/*c*/1\r\n2\r\n", 15);
    qkdatasrvInfo d{};
    qkdatasetpath(&d, "/nonexistent/data.txt");
    EXPECT_EQ(qkdatagetfile(&d), -2);
    EXPECT_EQ(qkdataparsebuf(&d), 0);   // nothing loaded: no records
    qkdatafreemem(&d);
    qklogcls();
    std::string log = vxtest::readFile(logPath);
    std::string file = tree.path("cfg/data.txt");
    for (std::string line : {"read: 11 bytes from file: ", "deleted: 5 bytes from file: ",
                             "filtered: 2 bytes from file: ", "parsed: 2 records from file: "})
        EXPECT_EQ(vxtest::countLines(log, line + file), 1) << line;
}

}  // namespace
