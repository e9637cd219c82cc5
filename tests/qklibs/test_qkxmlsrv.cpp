// Tagged message writer and reader: exact texts of the writer, element and
// value extraction with reference decoding, insertions, positions, encoding.
#include "qkxmlsrv.h"

#include <gtest/gtest.h>

#include "qkstrsrv.h"

#include <cstring>
#include <string>

namespace {

TEST(QkXmlSrv, WriterTexts)
{
    char buf[64] = "x";
    EXPECT_EQ(qkxmlbldelmstart("MSG", buf, sizeof buf, 0), 6);
    EXPECT_EQ(qkxmlbldelmstart("A", buf, sizeof buf, QKXML_CR | QKXML_LF), 11);
    EXPECT_EQ(qkxmlbldelmend("A", buf, sizeof buf, QKXML_LF), 16);
    EXPECT_EQ(qkxmlbldelmend("MSG", buf, sizeof buf, QKXML_CR), 23);
    EXPECT_STREQ(buf, "x<MSG><A>\r\n</A>\n</MSG>\r");

    char out[64] = "old text";
    EXPECT_EQ(qkxmlbldval("ID", out, sizeof out, "42", 0), 12);
    EXPECT_STREQ(out, "<ID>42</ID>\n");
    EXPECT_EQ(qkxmlbldval("ID", out, sizeof out, "", QKXML_CR | QKXML_LF), 12);
    EXPECT_STREQ(out, "<ID></ID>\n\r\n");

    char root[64] = "";
    EXPECT_EQ(qkxmlbldroot(root, sizeof root, "ROOT", QKXML_LF), 15);
    EXPECT_STREQ(root, "<ROOT>\n</ROOT>\n");

    char ver[64] = "something";
    EXPECT_EQ(qkxmlbldversion(ver, sizeof ver, "\"1.0\"", QKXML_CR | QKXML_LF), 23);
    EXPECT_STREQ(ver, "<?xml version=\"1.0\"?>\r\n");
    EXPECT_EQ(qkxmlbldversion(ver, sizeof ver, "\"1.0\"", 0), 21);
    EXPECT_STREQ(ver, "<?xml version=\"1.0\"?>");
}

TEST(QkXmlSrv, WriterNeverPassesTheBuffer)
{
    char small[10] = "abc";
    EXPECT_EQ(qkxmlbldelmstart("LONGNAME", small, sizeof small, 0), -2);
    EXPECT_STREQ(small, "abc");   // left as it was
    EXPECT_EQ(qkxmlbldelmstart("ABCD", small, sizeof small, 0), 9);
    EXPECT_STREQ(small, "abc<ABCD>");
    char out[8] = "zz";
    EXPECT_EQ(qkxmlbldval("A", out, sizeof out, "toolong", 0), -2);
    EXPECT_STREQ(out, "");
}

TEST(QkXmlSrv, ReadsVersionRootAndElements)
{
    char out[64];
    EXPECT_EQ(qkxmlgetversion("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", out, sizeof out), 5);
    EXPECT_STREQ(out, "\"1.0\"");
    EXPECT_EQ(qkxmlgetversion("<?xml version=\"1.1\"?>", out, sizeof out), 0);
    EXPECT_STREQ(out, "");

    const char* msg = "<?xml version=\"1.0\"?>\n<!-- c --><EVENT><ID>7</ID><WIN>main</WIN></EVENT>";
    EXPECT_EQ(qkxmlgetroot(msg, out, sizeof out), 5);
    EXPECT_STREQ(out, "EVENT");
    EXPECT_EQ(qkxmlgetcurptr(), std::strstr(msg, "<EVENT>"));
    EXPECT_EQ(qkxmlgetnxtptr(), std::strstr(msg, "<ID>"));
    EXPECT_EQ(qkxmlgetroot("no tags here", out, sizeof out), -2);
    EXPECT_EQ(qkxmlgetroot("<?xml version=\"1.0\"?>", out, sizeof out), -2);

    EXPECT_EQ(qkxmlgetelement("WIN", msg, out, sizeof out), 15);
    EXPECT_STREQ(out, "<WIN>main</WIN>");
    EXPECT_EQ(qkxmlgetnxtptr(), std::strstr(msg, "</EVENT>"));
    EXPECT_EQ(qkxmlgetelement("NONE", msg, out, sizeof out), -2);
    char tiny[8];
    EXPECT_EQ(qkxmlgetelement("WIN", msg, tiny, sizeof tiny), -2);
    EXPECT_STREQ(tiny, "");

    EXPECT_EQ(qkxmlgetval("ID", msg, out, sizeof out), 1);
    EXPECT_STREQ(out, "7");
    EXPECT_EQ(qkxmlgetval("NONE", msg, out, sizeof out), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(qkxmlgetval("ID", "<ID>no end", out, sizeof out), 0);
    EXPECT_EQ(qkxmlgetval("WIN", msg, tiny, sizeof tiny), 4);
    EXPECT_EQ(qkxmlgetval("WIN", "<WIN>abcdefghij</WIN>", tiny, sizeof tiny), 10);   // cut, length reported
    EXPECT_STREQ(tiny, "abcdefg");
}

TEST(QkXmlSrv, DecodesReferences)
{
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"&lt;b&gt;", "<b>"},
        {"&quot;q&quot;", "\"q\""},
        {"don&apos;t", "don`t"},
        {"a &amp; b", "a & b"},
        {"&amp;lt;", "<"},                    // ampersand decoded before less-than
        {"&amp;amp;", "&amp;"},               // no rescan of decoded text
        {"&#65;", "A"},
        {"&#0065;&#0065;x&#0065;", "AAxA"},   // every copy of the first reference
        {"&#x41;&#x4a;&#x41;", "A&#x4a;A"},   // only the first reference text
        {"&#x7e;", "~"},
        {"&#255;", "\xff"},
        {"&amp;#66;", "B"},
        {"&#0;", "&#0;"},                     // codes out of range stay as written
        {"&#256;", "&#256;"},
        {"&#x100;&#65;", "&#x100;&#65;"},     // the first reference decides
        {"&#12345;", "&#12345;"},             // more than four digits
        {"&#x;", "&#x;"},
        {"&#65", "&#65"},                     // no semicolon
        {"&#X41;", "&#X41;"},
        {"&unknown;", "&unknown;"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        std::string v = c.in;
        qkxmldecode(v);
        EXPECT_EQ(v, c.out);
        char out[64];
        std::string elem = std::string("<V>") + c.in + "</V>";
        EXPECT_EQ(qkxmlgetval("V", elem.c_str(), out, sizeof out), static_cast<int>(std::strlen(c.out)));
        EXPECT_STREQ(out, c.out);
    }
}

TEST(QkXmlSrv, Insertions)
{
    using InsertFn = int (*)(const char*, const char*, char*, size_t, int);
    struct Case {
        const char* what;
        const char* text;
        InsertFn fn;
        const char* elem;
        const char* item;
        int flags;
        const char* result;   // null: refused
    };
    const Case cases[] = {
        {"before closing tag", "<R><A>1</A></R>", qkxmladdbuf, "R", "<B>2</B>", QKXML_BEFOREEND,
         "<R><A>1</A><B>2</B></R>"},
        {"with line feed", "<R>\n</R>\n", qkxmladdbuf, "R", "<B>2</B>", QKXML_BEFOREEND | QKXML_LF,
         "<R>\n<B>2</B>\n</R>\n"},
        {"first of two", "<L></L><L></L>", qkxmladdbuf, "L", "x", QKXML_BEFOREEND, "<L>x</L><L></L>"},
        {"last of two", "<L></L><L></L>", qkxmladdbuf, "L", "x", QKXML_BEFOREEND | QKXML_LAST, "<L></L><L>x</L>"},
        {"behind opening tag", "<R><A/></R>", qkxmladdbuf, "R", "y", 0, "<R>y<A/></R>"},
        {"empty element", "<R></R>", qkxmladdelement, "R", "ITEM", QKXML_BEFOREEND, "<R><ITEM></ITEM></R>"},
        {"insert element", "<R>a</R><R>b</R>", qkxmlinselement, "R", "<C/>", QKXML_CR | QKXML_LAST,
         "<R>a<C/>\r</R><R>b</R>"},
        {"missing element", "<R></R>", qkxmladdbuf, "S", "x", QKXML_BEFOREEND, nullptr},
        {"unclosed element", "<Q><R>", qkxmladdbuf, "R", "x", QKXML_BEFOREEND, nullptr},
        {"does not fit", "<Q></Q>", qkxmladdbuf, "Q", "0123456789012345678901234", QKXML_BEFOREEND, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        char text[32];
        qkstrset(text, c.text);
        int rc = c.fn(c.elem, c.item, text, sizeof text, c.flags);
        if (c.result == nullptr) {
            EXPECT_EQ(rc, -2);
            EXPECT_STREQ(text, c.text);
        } else {
            EXPECT_EQ(rc, static_cast<int>(std::strlen(c.result)));
            EXPECT_STREQ(text, c.result);
        }
    }
}

TEST(QkXmlSrv, PositionsAndEncoding)
{
    char text[] = "<A>1</A><B>2</B>";
    EXPECT_EQ(qkxmlsetptrtoelm(text, "A"), 0);
    EXPECT_EQ(qkxmlgetnxtptr(), text + 8);
    EXPECT_EQ(qkxmlgetcurptr(), text);
    EXPECT_EQ(qkxmlsetptrtoelm(text, "C"), -2);
    EXPECT_EQ(qkxmlgetnxtptr(), nullptr);
    qkxmlsetptr(text + 3);
    EXPECT_EQ(qkxmlgetcurptr(), text + 3);
    qkxmlsetnxtptr(text + 5);
    EXPECT_EQ(qkxmlgetnxtptr(), text + 5);
    qkxmlsetptr(nullptr);
    EXPECT_EQ(qkxmlgetcurptr(), nullptr);

    struct Enc {
        int c;
        const char* out;
    };
    const Enc encs[] = {{'"', "&quot;"}, {'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'`', "&apos;"},
                        {'\'', ""},      {'a', ""}};
    for (const Enc& e : encs) {
        char out[16] = "junk";
        EXPECT_EQ(qkxmlencodechar(e.c, out, sizeof out), static_cast<int>(std::strlen(e.out)));
        EXPECT_STREQ(out, e.out);
        // Every encoded character decodes back.
        if (*e.out) {
            std::string v = out;
            qkxmldecode(v);
            EXPECT_EQ(v, std::string(1, static_cast<char>(e.c)));
        }
    }
    char out[32];
    EXPECT_EQ(qkxmlencodenum(1, 65, out, sizeof out), 7);
    EXPECT_STREQ(out, "&#0065;");
    EXPECT_EQ(qkxmlencodenum(2, 0x7e, out, sizeof out), 8);
    EXPECT_STREQ(out, "&#x007e;");
    EXPECT_EQ(qkxmlencodenum(1, 12345, out, sizeof out), 8);
    EXPECT_STREQ(out, "&#12345;");
    EXPECT_EQ(qkxmlencodenum(3, 65, out, sizeof out), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(qkxmlencodenum(1, 65, out, 4), -2);
}

}  // namespace
