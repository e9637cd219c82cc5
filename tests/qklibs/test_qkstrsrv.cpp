// String services: splitting, trimming, filtering, replacement, numeric
// validation, case, binary renderings and the bounded copies.
#include "qkstrsrv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qklogsrv.h"
#include "vxtestsupport.h"

namespace {

std::string Bytes(const char* p, int n)
{
    return std::string(p, static_cast<size_t>(n));
}

TEST(QkStrSrv, SplitsInPlace)
{
    struct Case {
        const char* text;
        int delimiter;
        int maximum;
        int count;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"a,b,c", ',', 16, 3, {"a", "b", "c"}},
        {"a,b,", ',', 16, 2, {"a", "b"}},
        {",,", ',', 16, 2, {"", ""}},
        {"", ',', 16, 0, {}},
        {"abc", ',', 16, 1, {"abc"}},
        {"a b  c", ' ', 16, 4, {"a", "b", "", "c"}},
        {"a,b,c", 0, 16, 0, {}},         // no delimiter: nothing split
        {"a,b", ',', 3, 2, {"a", "b"}},  // last piece fills the table
        {"a,b,c,d", ',', 3, -2, {}},     // count reaches maximum-1 at a delimiter
        {"a,b", ',', 0, -2, {}},         // no room at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " max " + std::to_string(c.maximum));
        char text[64];
        qkstrset(text, c.text);
        char* ptrs[16] = {};
        int n = qkstrprsbuf(text, c.delimiter, ptrs, c.maximum);
        ASSERT_EQ(n, c.count);
        for (int i = 0; i < n; ++i) EXPECT_EQ(ptrs[i], c.pieces[static_cast<size_t>(i)]);
        if (n > 0) {
            EXPECT_EQ(ptrs[0], text);  // pieces point into the caller's text
        }
    }
}

TEST(QkStrSrv, SplitAuditPrintsLongPiecesInChunks)
{
    vxtest::TempTree tree;
    std::string log = tree.path("work/str.log");
    ASSERT_EQ(qklogopn(log.c_str()), 0);
    qkstrsetaudit(1);
    std::string longPiece(70, 'x');
    longPiece.replace(66, 4, "TAIL");
    std::string text = "first;" + longPiece;
    std::vector<char> buf(text.begin(), text.end());
    buf.push_back('\0');
    char* ptrs[8];
    EXPECT_EQ(qkstrprsbuf(buf.data(), ';', ptrs, 8), 2);
    qkstrsetaudit(0);
    qklogcls();

    std::string out = vxtest::readFile(log);
    EXPECT_EQ(vxtest::countLines(out, "parse count is: 2"), 1);
    EXPECT_EQ(vxtest::countLines(out, " 00001: first"), 1);
    // The second piece: 66 characters on its own line, the rest after eight blanks.
    std::string chunk1 = "qkstrprtprs:  00002: " + std::string(66, 'x');
    std::string chunk2 = "qkstrprtprs:         TAIL";
    size_t at1 = out.find(chunk1 + "\n");
    size_t at2 = out.find(chunk2 + "\n");
    ASSERT_NE(at1, std::string::npos) << out;
    ASSERT_NE(at2, std::string::npos) << out;
    EXPECT_LT(at1, at2);
}

TEST(QkStrSrv, Trims)
{
    struct Case {
        int (*fn)(char*, int);
        const char* text;
        int character;
        const char* expect;
    };
    const Case cases[] = {
        {qkstrTrim, "  ab c  ", ' ', "ab c"},
        {qkstrLtrim, "  ab c  ", ' ', "ab c  "},
        {qkstrRtrim, "  ab c  ", ' ', "  ab c"},
        {qkstrTrim, "xxxx", 'x', ""},
        {qkstrRtrim, "xxxx", 'x', ""},
        {qkstrLtrim, "xxxx", 'x', ""},
        {qkstrTrim, "", ' ', ""},
        {qkstrTrim, "  a  ", 0, "  a  "},  // character 0 changes nothing
        {qkstrTrim, "\"quoted\"", '"', "quoted"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        char text[32];
        qkstrset(text, c.text);
        EXPECT_EQ(c.fn(text, c.character), 0);
        EXPECT_STREQ(text, c.expect);
    }
}

TEST(QkStrSrv, Filters)
{
    struct Case {
        const char* text;
        const char* remove;
        const char* expect;
    };
    const Case cases[] = {
        {"a\r\nb\r\n", "\r\n", "ab"},
        {"abcabc", "abc", ""},
        {"aabb", "ab", "ab"},  // one pass: the joined remainder is not removed again
        {"hello", "xyz", "hello"},
        {"hello", "", "hello"},
        {"", "a", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        char text[32];
        qkstrset(text, c.text);
        EXPECT_EQ(qkstrFltr(text, c.remove), 0);
        EXPECT_STREQ(text, c.expect);
    }
}

TEST(QkStrSrv, Replaces)
{
    struct Case {
        const char* text;
        const char* token;
        const char* value;
        const char* expect;
    };
    const Case cases[] = {
        {"aXb", "X", "XX", "aXXb"},  // inserted text is not scanned again
        {"XXX", "X", "XX", "XXXXXX"},
        {"path/%s/file", "%s", "v1.2", "path/v1.2/file"},
        {"a--b--", "--", "-", "a-b-"},
        {"aXbX", "X", "", "ab"},
        {"abc", "zz", "y", "abc"},
        {"abc", "", "y", "abc"},  // empty token: unchanged
        {"", "a", "b", ""},
        {"aaa", "aa", "b", "ba"},  // left to right, no overlap
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        char text[64];
        char work[64];
        qkstrset(text, c.text);
        EXPECT_EQ(qkstrReplace(text, work, c.token, c.value, sizeof work), 0);
        EXPECT_STREQ(text, c.expect);
    }

    char text[16];
    char work[16];
    qkstrset(text, "abc");
    EXPECT_EQ(qkstrReplace(text, work, nullptr, "x", sizeof work), 0);
    EXPECT_EQ(qkstrReplace(text, work, "a", nullptr, sizeof work), 0);
    EXPECT_STREQ(text, "abc");
}

TEST(QkStrSrv, ReplaceResultLargerThanWorkIsCut)
{
    // Both buffers are 8 bytes, followed by guard bytes that must survive.
    struct Guarded {
        char buf[8];
        char guard[8];
    };
    Guarded text{}, work{};
    std::memset(text.guard, 'G', sizeof text.guard);
    std::memset(work.guard, 'G', sizeof work.guard);
    qkstrset(text.buf, "abcabc");
    EXPECT_EQ(qkstrReplace(text.buf, work.buf, "b", "BBBB", sizeof work.buf), -2);
    EXPECT_STREQ(text.buf, "aBBBBca");
    EXPECT_EQ(std::string(text.guard, 8), "GGGGGGGG");
    EXPECT_EQ(std::string(work.guard, 8), "GGGGGGGG");

    // A result of exactly workSize-1 characters fits.
    qkstrset(text.buf, "ab");
    EXPECT_EQ(qkstrReplace(text.buf, work.buf, "b", "BBBBBB", sizeof work.buf), 0);
    EXPECT_STREQ(text.buf, "aBBBBBB");
}

TEST(QkStrSrv, ValidatesNumbers)
{
    struct Case {
        int kind;
        const char* text;
        int expect;
    };
    const Case cases[] = {
        {1, "0123456789", 0}, {1, "", 0},    {2, "", 0},     {2, "3.14", 0},   {1, "3.14", -2},
        {1, "-1", -2},        {2, "-1", -2}, {1, "+1", -2},  {2, "1e5", -2},   {1, " 1", -2},
        {1, "1 ", -2},        {2, "..", 0},  {1, "12a", -2}, {1, nullptr, -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(null)");
        EXPECT_EQ(qkstrValNum(c.kind, c.text), c.expect);
    }
}

TEST(QkStrSrv, ConvertsCase)
{
    char text[32];
    qkstrset(text, "Abc-9_xYz\xe9");
    qkstrToUpper(text);
    EXPECT_STREQ(text, "ABC-9_XYZ\xe9");
    qkstrToLower(text);
    EXPECT_STREQ(text, "abc-9_xyz\xe9");
}

TEST(QkStrSrv, RendersBinaryAsText)
{
    struct Case {
        std::vector<unsigned char> data;
        int outSize;
        std::string expect;  // empty with result 0: refused
    };
    const Case cases[] = {
        {{0x41, 0x0a, 0x42}, 64, "A`0aB"},
        {{0x41, 0x0a, 0x42}, 8, "A`0aB"},  // length 5 = outSize-3: still fits
        {{0x41, 0x0a, 0x42}, 7, ""},       // would pass outSize-3
        {{31, 32, 127, 128, 255, 0}, 64, "`1f \x7f`80`ff`00"},
        {{}, 64, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expect + " size " + std::to_string(c.outSize));
        char out[64] = {};
        int n = qkstrBinToASCII(static_cast<int>(c.data.size()), c.data.data(), c.outSize, out);
        EXPECT_EQ(n, static_cast<int>(c.expect.size()));
        if (n > 0) {
            EXPECT_EQ(std::string(out), c.expect);
        }
        EXPECT_LT(std::strlen(out), static_cast<size_t>(c.outSize));
    }
}

TEST(QkStrSrv, RendersHex)
{
    const unsigned char data[] = {0x00, 0xff, 0x10, 0xab};
    char out[32] = {};
    EXPECT_EQ(qkstrToHexFormat(4, data, sizeof out, out), 12);
    EXPECT_STREQ(out, " 00 ff 10 ab");
    char small[16] = {};
    EXPECT_EQ(qkstrToHexFormat(4, data, 15, small), 12);  // 12 = 15-3 fits
    EXPECT_EQ(qkstrToHexFormat(4, data, 14, small), 0);
    EXPECT_LT(std::strlen(small), 14u);
}

TEST(QkStrSrv, TurnsMarkedNumbersIntoBytes)
{
    struct Case {
        std::string text;
        std::string expect;
    };
    const Case cases[] = {
        {"A`66`C", "ABC"},
        {"`0x41``0X4a`", "AJ"},
        {"`0101`", "A"},  // leading 0: octal
        {"a`0`b", std::string("a\0b", 3)},
        {"a`b", "a`b"},  // lone marker stays
        {"end`", "end`"},
        {"``", "``"},
        {"`x`65`", "`xA"},   // not a number: the next marker may open one
        {"`256`", "`256`"},  // not a byte
        {"`09`", "`09`"},    // 9 is no octal digit
        {"`-1`", "`-1`"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<char> buf(c.text.begin(), c.text.end());
        buf.push_back('\0');
        int n = qkstrASCIIToBin(static_cast<int>(c.text.size()), buf.data(), '`');
        EXPECT_EQ(Bytes(buf.data(), n), c.expect);
    }
}

TEST(QkStrSrv, CopiesStayBounded)
{
    char small[5];
    EXPECT_EQ(qkstrset(small, "abcdefgh"), 8u);  // length of the source: cut
    EXPECT_STREQ(small, "abcd");
    EXPECT_EQ(qkstradd(small, "zz"), 6u);
    EXPECT_STREQ(small, "abcd");
    qkstrset(small, "ab");
    qkstradd(small, "cdef");
    EXPECT_STREQ(small, "abcd");

    EXPECT_EQ(qkstrfmt(small, sizeof small, "%d-%s", 123, "xyz"), 7);
    EXPECT_STREQ(small, "123-");
    EXPECT_EQ(qkstrfmt(nullptr, 0, "%d", 42), 2);

    char dst[16] = "0123456789";
    EXPECT_EQ(qkstrcpy(dst, 2, "abcdef", 1, 3), 0);
    EXPECT_STREQ(dst, "01bcd");
    // The source must hold length characters past its offset: nothing is
    // copied otherwise, also when the offset alone would make up the count.
    EXPECT_EQ(qkstrcpy(dst, 0, "abc", 0, 4), -2);
    EXPECT_EQ(qkstrcpy(dst, 0, "abc", 2, 3), -2);
    EXPECT_EQ(qkstrcpy(dst, 0, "abc", 5, 0), -2);
    EXPECT_STREQ(dst, "01bcd");
    EXPECT_EQ(qkstrcpy(dst, 0, "abc", 3, 0), 0);
    EXPECT_STREQ(dst, "");
}

}  // namespace
