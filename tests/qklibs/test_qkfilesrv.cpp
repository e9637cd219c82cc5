// The file services on real files in temporary folders: sizes and record
// counts, read and write modes with their bounds, copy/rename/remove with the
// logged failures, records, directory listing patterns, cleaning, the
// recursive search, and whole-file operations from several threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "qkfilesrv.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "vxtestsupport.h"

namespace fs = std::filesystem;

namespace {

class FileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        logPath = tree.path("file.log");
        ASSERT_EQ(qklogopn(logPath.c_str()), 0);
        dir = tree.work();
    }
    void TearDown() override
    {
        qklogcls();
        qkFileSetAudit(0);
        qkfilesetappfunc(nullptr, nullptr);
    }
    std::string file(const std::string& name, const std::string& text) { return tree.write("work/" + name, text); }
    std::string at(const std::string& name) const { return dir + "/" + name; }
    std::string log() const { return vxtest::readFile(logPath); }
    bool logged(const std::string& text) const { return log().find(text) != std::string::npos; }

    vxtest::TempTree tree;
    std::string logPath, dir;
    // The search walks the folders: whatever a case leaves, the working folder comes back.
    vxtest::CwdGuard cwd{"."};
};

TEST_F(FileTest, SizeAndRecordCount)
{
    struct Case {
        std::string text;
        int mode, size, records;
    };
    const Case cases[] = {
        {"a\nbc\ndef\n", 2, 9 + 3, 3},   // text: one byte more per line for DOS line ends
        {"a\nbc\ndef\n", 1, 9, 3},       // binary: the bytes as they are
        {"ab", 2, 3, 0},                 // an unterminated last line counts as a line
        {std::string("x\0y\nz", 5), 1, 5, 1},
        {"", 2, 0, 0},
        {"", 1, 0, 0},
    };
    for (const auto& c : cases) {
        std::string p = file("size.txt", c.text);
        EXPECT_EQ(qkFileSize(p.c_str(), c.mode), c.size) << "mode " << c.mode << " text " << c.text;
        EXPECT_EQ(qkFileRecCnt(p.c_str()), c.records) << c.text;
    }
    // A read-only file can be measured (meaningful when not run as root).
    std::string ro = file("readonly.bin", "12345");
    fs::permissions(ro, fs::perms::owner_read);
    EXPECT_EQ(qkFileSize(ro.c_str(), 1), 5);

    std::string missing = at("missing.txt");
    EXPECT_EQ(qkFileSize(missing.c_str(), 2), -2);
    EXPECT_EQ(qkFileRecCnt(missing.c_str()), -1);
    EXPECT_EQ(qkFileSize(ro.c_str(), 7), -2);
    EXPECT_TRUE(logged("qkFileSize: could not open file: " + missing + ", mode: r\n")) << log();
    EXPECT_TRUE(logged("qklogErr: error, reason: call to fopen\n"));
    EXPECT_TRUE(logged("errno: 2, No such file or directory"));
}

TEST_F(FileTest, ReadModesAndBounds)
{
    std::string p = file("ab.txt", "a\nb\n");
    struct Case {
        int mode, maximum;
        std::string want;
    };
    const Case cases[] = {
        {4, 64, "ab"},       // lines joined, line feeds dropped
        {0, 64, "a\nb\n"},   // text as it is
        {5, 64, "a\nb\n"},
        {0, 3, "a\n"},       // maximum - 1 characters and the zero
        {4, 2, "a"},
        {3, 3, "a\nb"},      // binary: up to maximum bytes, no zero
        {3, 64, "a\nb\n"},
    };
    for (const auto& c : cases) {
        char buf[80];
        std::memset(buf, '#', sizeof buf);
        int n = qkfilerd(p.c_str(), buf, c.maximum, c.mode);
        EXPECT_EQ(n, static_cast<int>(c.want.size())) << "mode " << c.mode << " max " << c.maximum;
        EXPECT_EQ(std::string(buf, n), c.want) << "mode " << c.mode << " max " << c.maximum;
        if (c.mode != 3) {
            EXPECT_EQ(buf[n], '\0');
        }
        EXPECT_EQ(buf[c.maximum], '#') << "wrote past maximum, mode " << c.mode;
    }
    std::string bin = file("zero.bin", std::string("\0\1\2\0", 4));
    char b[8];
    EXPECT_EQ(qkfilerd(bin.c_str(), b, sizeof b, 3), 4);
    EXPECT_EQ(std::memcmp(b, "\0\1\2\0", 4), 0);

    std::string missing = at("none.txt");
    char buf[8];
    EXPECT_EQ(qkfilerd(missing.c_str(), buf, sizeof buf, 4), -1);
    EXPECT_EQ(qkfilerd(missing.c_str(), buf, sizeof buf, 3), -1);
    EXPECT_TRUE(logged("error, reason: qkrdfile could not open file: " + missing + "\n")) << log();
    EXPECT_TRUE(logged("error, reason: qkrdfile could not open binary file: " + missing + "\n")) << log();
}

TEST_F(FileTest, WriteModes)
{
    std::string p = at("w.txt");
    struct Step {
        int mode;
        const char* text;
        int status;
        const char* content;
    };
    const Step steps[] = {
        {5, "one\n", 0, "one\n"},
        {5, "two\n", 0, "one\ntwo\n"},          // append
        {0, "three\n", 0, "one\ntwo\nthree\n"},  // any other mode appends too
        {6, "new\n", 0, "new\n"},               // replace
        {2, "bin", 3, "bin"},                   // new binary file, byte count
    };
    for (const auto& s : steps) {
        EXPECT_EQ(qkfilewr(p.c_str(), s.text, s.mode), s.status) << "mode " << s.mode;
        EXPECT_EQ(vxtest::readFile(p), s.content) << "mode " << s.mode;
    }
    std::string bad = at("no/such/dir.txt");
    EXPECT_EQ(qkfilewr(bad.c_str(), "x", 5), -1);
    EXPECT_EQ(qkfilewr(bad.c_str(), "x", 2), -1);
    EXPECT_TRUE(logged("error, reason: qkwrfile could not open file: " + bad + ", mode: a\n")) << log();
    EXPECT_TRUE(logged("error, reason: qkrdfile could not open binary file: " + bad + "\n")) << log();
    // A full disk is a failure, not a success.
    if (vxtest::fileExists("/dev/full")) {
        EXPECT_EQ(qkfilewr("/dev/full", "x", 5), -1);
    }
}

TEST_F(FileTest, CopyRenameRemoveInquire)
{
    std::string text = "line 1\nline 2\nlast";
    std::string src = file("src.txt", text);
    std::string dst = at("dst.txt");
    EXPECT_EQ(qkfilecp(src.c_str(), dst.c_str()), 0);
    EXPECT_EQ(vxtest::readFile(dst), text);

    std::string missing = at("missing.txt");
    std::string badDst = at("no/dir/x.txt");
    EXPECT_EQ(qkfilecp(missing.c_str(), dst.c_str()), -1);
    EXPECT_EQ(qkfilecp(src.c_str(), badDst.c_str()), -1);
    EXPECT_TRUE(logged("error, reason: Could not open source file: " + missing + "\n")) << log();
    EXPECT_TRUE(logged("error, reason: Could not open destination file: " + badDst + "\n")) << log();

    std::string moved = at("moved.txt");
    EXPECT_EQ(qkfilerename(dst.c_str(), moved.c_str()), 0);
    EXPECT_FALSE(vxtest::fileExists(dst));
    EXPECT_EQ(vxtest::readFile(moved), text);
    EXPECT_EQ(qkfilerename(missing.c_str(), moved.c_str()), -1);
    EXPECT_TRUE(logged("error, reason: file rename\n"));

    qkfilestatInfo st;
    EXPECT_EQ(qkFileInq(moved.c_str(), &st), 0);
    EXPECT_EQ(st.size, static_cast<int64_t>(text.size()));
    EXPECT_TRUE(S_ISREG(st.mode));
    EXPECT_GE(st.nlink, 1u);
    EXPECT_GT(st.mtime, 0);

    EXPECT_EQ(qkfileremove(moved.c_str()), 0);
    EXPECT_FALSE(vxtest::fileExists(moved));
    EXPECT_EQ(qkfileremove(moved.c_str()), -1);
    EXPECT_TRUE(logged("error, reason: file remove\n"));

    std::memset(&st, 0xAB, sizeof st);
    EXPECT_EQ(qkFileInq(moved.c_str(), &st), -1);
    EXPECT_EQ(st.size, 0);
    EXPECT_EQ(st.mode, 0u);
}

TEST_F(FileTest, TextAndBinaryRecords)
{
    std::string p = at("rec.txt");
    FILE* f = qkfileopen(p.c_str(), "w+");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(qkfilewrrec(f, 4, "one\n"), 4);
    EXPECT_EQ(qkfilewrrec(f, 11, "abcdefghij\n"), 11);
    EXPECT_EQ(qkfilewrrec(f, 6, std::string("ze\0ro\n", 6).c_str()), 6);
    std::rewind(f);
    struct Want {
        int maximum;
        const char* text;
    };
    // maximum is the buffer's size; a zero byte ends a record and is not stored.
    const Want wants[] = {{64, "one\n"}, {5, "abcd"}, {64, "efghij\n"}, {64, "ze"}, {64, "ro\n"}, {64, ""}};
    for (const auto& w : wants) {
        char buf[80];
        std::memset(buf, '#', sizeof buf);
        int n = qkfilerdrec(f, w.maximum, buf, '\n');
        EXPECT_EQ(n, static_cast<int>(std::strlen(w.text)));
        EXPECT_STREQ(buf, w.text);
        EXPECT_EQ(buf[w.maximum], '#');
    }
    EXPECT_EQ(qkfileclose(f), 0);
    EXPECT_EQ(qkfileclose(nullptr), 0);

    std::string b = at("rec.bin");
    f = qkfileopen(b.c_str(), "wb+");
    ASSERT_NE(f, nullptr);
    const char recs[3][8] = {"record0", "record1", "record2"};
    for (const auto& r : recs) EXPECT_EQ(qkfilewrbinrec(f, 8, r), 1);
    EXPECT_EQ(qkfilesetbinrec(f, 8, 2), 16);
    char got[8];
    EXPECT_EQ(qkfilerdbinrec(f, 8, got), 8);
    EXPECT_STREQ(got, "record2");
    EXPECT_EQ(qkfilesetbinrec(f, 8, 1), 8);
    EXPECT_EQ(qkfilerdbinrec(f, 8, got), 8);
    EXPECT_STREQ(got, "record1");
    EXPECT_EQ(qkfilerdbinrec(f, 8, got), 8);
    EXPECT_EQ(qkfilerdbinrec(f, 8, got), 0);
    qkfileclose(f);

    std::string missing = at("nodir/x.txt");
    EXPECT_EQ(qkfileopen(missing.c_str(), "r"), nullptr);
    EXPECT_TRUE(logged("qkfileopen: could not open file: " + missing + ", mode: r\n")) << log();
}

TEST_F(FileTest, AuditLines)
{
    std::string p = file("audit.txt", "AB");
    qkFileSetAudit(1 | 2 | 4 | 16 | 32);
    char buf[8];
    EXPECT_EQ(qkfilerd(p.c_str(), buf, sizeof buf, 0), 2);
    EXPECT_EQ(qkfilewr(p.c_str(), "CD", 6), 0);
    FILE* f = qkfileopen(p.c_str(), "r");
    ASSERT_NE(f, nullptr);
    int fd = fileno(f);
    qkfileclose(f);
    EXPECT_EQ(qkFileSize(p.c_str(), 1), 2);
    EXPECT_TRUE(logged("qkfilerd: read: 2 bytes for file: " + p + "\n")) << log();
    EXPECT_TRUE(logged("    00000 | 4142 0000 0000 0000 0000 0000 0000 0000 | AB..............\n")) << log();
    EXPECT_TRUE(logged("qkfilewr: wrote: 2 bytes for file: " + p + "\n"));
    EXPECT_TRUE(logged("qkfileopen: open file: " + p + ", mode: r\n"));
    EXPECT_TRUE(logged("qkfileclose: close file: " + std::to_string(fd) + "\n"));
    EXPECT_TRUE(logged("qkFileSize: size is: 2 bytes\n"));
}

TEST_F(FileTest, PathType)
{
    struct Case {
        int type;
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {1, "a\\b\\c", "a/b/c"},     {2, "a/b/c", "a\\b\\c"},  {1, "..\\cfg/x.xml", "../cfg/x.xml"},
        {2, "..\\cfg/x.xml", "..\\cfg\\x.xml"}, {0, "a\\b/c", "a\\b/c"}, {1, "", ""},
    };
    for (const auto& c : cases) {
        char buf[64];
        qkstrlcpy(buf, sizeof buf, c.in);
        EXPECT_EQ(qkfileSetPathType(c.type, buf), 0);
        EXPECT_STREQ(buf, c.out) << c.type << " " << c.in;
    }
}

TEST_F(FileTest, Directories)
{
    std::string d = at("made");
    EXPECT_EQ(qkfileDirInq(d.c_str(), 0), -2);
    EXPECT_EQ(qkfileDirInq(d.c_str(), 1), 0);
    EXPECT_TRUE(fs::is_directory(d));
    EXPECT_EQ(qkfileDirInq(d.c_str(), 0), 0);
    EXPECT_EQ(qkfilemkdir(d.c_str()), -1);
    EXPECT_TRUE(logged("error, reason: create dir\n"));
    std::string plain = file("plain.txt", "x");
    EXPECT_EQ(qkfileDirInq(plain.c_str(), 0), -2);

    EXPECT_EQ(qkfilechgdir(d.c_str()), 0);
    char here[4096];
    EXPECT_EQ(qkfilegetpath(sizeof here, here), 0);
    EXPECT_EQ(fs::path(here), fs::canonical(d));
    EXPECT_EQ(qkfilegetcurdir(sizeof here, here), 0);
    EXPECT_EQ(fs::path(here), fs::canonical(d));
    EXPECT_EQ(qkfilechgdir(at("nowhere").c_str()), -1);
    EXPECT_TRUE(logged("error, reason: change dir\n"));
    EXPECT_EQ(qkfilechgdir(tree.root().c_str()), 0);   // out of the folder before it goes

    EXPECT_EQ(qkfileremdir(d.c_str()), 0);
    EXPECT_FALSE(fs::exists(d));
    EXPECT_EQ(qkfileremdir(d.c_str()), -1);
    EXPECT_TRUE(logged("error, reason: remove dir\n"));
}

TEST_F(FileTest, DirectoryListPatterns)
{
    std::string d = tree.path("list");
    fs::create_directories(d + "/sub");
    for (const char* n : {"a.txt", "b.txt.bak", "c.log"}) tree.write(std::string("list/") + n, "x");
    struct Case {
        const char* pattern;
        int maximum;
        std::set<std::string> want;
    };
    const std::set<std::string> all = {"a.txt", "b.txt.bak", "c.log", "sub"};
    const Case cases[] = {
        {"*.txt", 10, {"a.txt", "b.txt.bak"}},   // contains the text after the star
        {"", 10, all},
        {"*", 10, all},
        {"x*", 10, all},                         // nothing after the star: everything
        {"*log*", 10, {"c.log"}},
        {"c.log", 10, {"c.log"}},                // no star: the identical name only
        {"c.lo", 10, {}},
        {"*.txt", 1, {"a.txt"}},                 // at most maximum
    };
    for (const auto& c : cases) {
        qkfiledirlistinfo entries[10];
        int n = qkfiledirlist(c.maximum, d.c_str(), c.pattern, entries);
        std::set<std::string> got;
        for (int i = 0; i < n; ++i) got.insert(entries[i].name);
        EXPECT_EQ(n, static_cast<int>(c.want.size())) << c.pattern;
        EXPECT_EQ(got, c.want) << c.pattern;
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(entries[i].type, std::string(entries[i].name) == "sub" ? 'd' : 'f') << entries[i].name;
    }
    qkfiledirlistinfo e[2];
    std::string missing = tree.path("nolist");
    EXPECT_EQ(qkfiledirlist(2, missing.c_str(), "*", e), -1);
    EXPECT_TRUE(logged("error, reason: opendir\n"));

    qkFileSetAudit(1);
    qkfiledirlist(10, d.c_str(), "*.txt", e);
    EXPECT_TRUE(logged("qkfiledirlist: dname: " + d + ", fsreach: .txt, fname: *.txt\n")) << log();
    EXPECT_TRUE(logged("qkfiledirlist: slen: 4, fflag: 1\n"));
    EXPECT_TRUE(logged("qkfiledirlist: file: c.log\n"));
}

TEST_F(FileTest, DirectoryClean)
{
    std::string d = tree.path("clean");
    fs::create_directories(d + "/emptysub");
    tree.write("clean/one.txt", "1");
    tree.write("clean/.hidden", "2");
    EXPECT_EQ(qkfiledirclean(d.c_str()), 0);
    EXPECT_TRUE(fs::is_empty(d));

    // One entry that stays makes the clean fail, whatever its place in the walk.
    tree.write("clean/a_full/inner.txt", "x");
    tree.write("clean/z_last.txt", "x");
    EXPECT_EQ(qkfiledirclean(d.c_str()), -1);
    EXPECT_FALSE(fs::exists(d + "/z_last.txt"));
    EXPECT_TRUE(fs::exists(d + "/a_full/inner.txt"));

    EXPECT_EQ(qkfiledirclean(tree.path("noclean").c_str()), -1);
    EXPECT_TRUE(logged("error, reason: opendir\n"));
}

int callbackCount = 0;
int countCall(void* arg)
{
    ++*static_cast<int*>(arg);
    return 0;
}

TEST_F(FileTest, RecursiveSearch)
{
    for (const char* p : {"find/a/b/target.txt", "find/c/x.txt", "find/z.txt", "find/target.txt.bak"})
        tree.write(p, "x");
    fs::create_directories(tree.path("find/d/e/f"));
    std::string root = fs::canonical(tree.path("find")).string();
    vxtest::CwdGuard inRoot(root);
    callbackCount = 0;
    qkfilesetappfunc(countCall, &callbackCount);

    struct Case {
        const char* name;
        int status;
        std::string path;
    };
    const Case cases[] = {
        {"target.txt", 1, root + "/a/b/target.txt"},
        {"x.txt", 1, root + "/c/x.txt"},   // a new search after a found one starts afresh
        {"z.txt", 1, root + "/z.txt"},
        {"missing.txt", 0, "missing.txt"},
        {"f", 0, "f"},                     // directories are not the file looked for
        {"target.txt", 1, root + "/a/b/target.txt"},
    };
    for (const auto& c : cases) {
        char name[128];
        qkstrlcpy(name, sizeof name, c.name);
        EXPECT_EQ(qksysfindfilepath(name), c.status) << c.name;
        EXPECT_EQ(std::string(name), c.path);
        char here[4096];
        ASSERT_NE(getcwd(here, sizeof here), nullptr);
        EXPECT_EQ(std::string(here), root) << "the walk returns to where it began";
    }
    EXPECT_GE(callbackCount, 5);

    char name[128] = "target.txt";
    gqk_filefindstatus = 0;
    EXPECT_EQ(qkfindfilepath("a", name), 1);
    EXPECT_EQ(std::string(name), root + "/a/b/target.txt");
    qkstrlcpy(name, sizeof name, "target.txt");
    EXPECT_EQ(qkfindfilepath("nodir", name), -1);
    EXPECT_EQ(qkfindfilepath("..", name), 0);

    // A path longer than the name buffer is cut, never written past it.
    std::string deep = "find/" + std::string(60, 'd') + "/" + std::string(60, 'e') + "/deep.txt";
    tree.write(deep, "x");
    char big[140];
    std::memset(big, '#', sizeof big);
    qkstrlcpy(big, sizeof big, "deep.txt");
    EXPECT_EQ(qksysfindfilepath(big), 1);
    EXPECT_EQ(std::strlen(big), 127u);
    EXPECT_EQ(big[128], '#');
}

TEST_F(FileTest, WholeFileOperationsFromSeveralThreads)
{
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            std::string p = at("thread" + std::to_string(t) + ".txt");
            std::string want = std::string(200 + t, static_cast<char>('a' + t)) + "\n";
            for (int i = 0; i < 150; ++i) {
                char buf[512];
                if (qkfilewr(p.c_str(), want.c_str(), 6) != 0) ++failures[t];
                if (qkfilerd(p.c_str(), buf, sizeof buf, 0) != static_cast<int>(want.size()) || want != buf)
                    ++failures[t];
            }
        });
    }
    for (auto& th : threads) th.join();
    for (int t = 0; t < 4; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
}

TEST_F(FileTest, WholeFileReaderBoundAndKinds)
{
    const std::string big(20000, 'b');   // more than one read chunk
    file("big.txt", big);
    file("empty.txt", "");
    ASSERT_EQ(mkfifo(at("fifo").c_str(), 0600), 0);
    struct Case {
        std::string path;
        size_t maximum;
        qkfileKind kind;
        bool ok;
        std::string text;
    };
    const Case cases[] = {
        {at("big.txt"), big.size(), QKFILE_ANYKIND, true, big},
        {at("big.txt"), big.size() - 1, QKFILE_ANYKIND, false, ""},
        {at("big.txt"), big.size(), QKFILE_REGULARONLY, true, big},
        {at("empty.txt"), 0, QKFILE_REGULARONLY, true, ""},
        {at("missing.txt"), 100, QKFILE_ANYKIND, false, ""},
        {dir, 100, QKFILE_ANYKIND, false, ""},
        {"/dev/zero", 100, QKFILE_ANYKIND, false, ""},       // the bound ends a device that never ends
        {at("fifo"), 100, QKFILE_REGULARONLY, false, ""},   // refused before it could block
    };
    for (const Case& c : cases) {
        std::string out = "stale";
        EXPECT_EQ(qkfilereadwhole(c.path.c_str(), out, c.maximum, c.kind), c.ok) << c.path << " " << c.maximum;
        if (c.ok) {
            EXPECT_EQ(out, c.text) << c.path;
        }
    }
}

}  // namespace
