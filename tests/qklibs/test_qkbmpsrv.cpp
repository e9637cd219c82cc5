// The bitmap writer: exact file bytes (headers, padding, row order), refused
// images, and a file that cannot be created.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qkbmpsrv.h"
#include "qklogsrv.h"
#include "vxtestsupport.h"

namespace {

std::vector<unsigned char> le32(uint32_t v)
{
    return {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v >> 16),
            static_cast<unsigned char>(v >> 24)};
}

void append(std::vector<unsigned char>& to, const std::vector<unsigned char>& bytes)
{
    to.insert(to.end(), bytes.begin(), bytes.end());
}

}  // namespace

// A 3 x 2 image: rows of 9 bytes padded to 12, the bottom row first, each
// pixel blue-green-red, 3780 pixels per metre.
TEST(QkBmpSrv, SmallImageIsByteExact)
{
    qkbmpImageInfo img;
    img.width = 3;
    img.height = 2;
    img.pixels = {0xFF0000, 0x00FF00, 0x0000FF,     // top row: red, green, blue
                  0xFFFFFF, 0x000000, 0x123456};    // bottom row

    std::vector<unsigned char> expect = {'B', 'M'};
    append(expect, le32(54 + 24));                  // file size
    append(expect, {0, 0, 0, 0});                   // reserved
    append(expect, le32(54));                       // pixel offset
    append(expect, le32(40));                       // info header size
    append(expect, le32(3));
    append(expect, le32(2));                        // positive: bottom-up
    append(expect, {1, 0, 24, 0});                  // planes, bits per pixel
    append(expect, le32(0));                        // uncompressed
    append(expect, le32(24));                       // image size with padding
    append(expect, le32(3780));
    append(expect, le32(3780));
    append(expect, le32(0));
    append(expect, le32(0));
    append(expect, {0xFF, 0xFF, 0xFF, 0, 0, 0, 0x56, 0x34, 0x12, 0, 0, 0});
    append(expect, {0, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0, 0, 0, 0});

    std::vector<unsigned char> bytes;
    ASSERT_EQ(qkbmpencode(&img, &bytes), 0);
    EXPECT_EQ(bytes, expect);

    // The file holds exactly the same bytes.
    vxtest::TempTree tree;
    const std::string path = tree.path("work/small.bmp");
    ASSERT_EQ(qkbmpwrite(path.c_str(), &img), 0);
    const std::string file = vxtest::readFile(path);
    EXPECT_EQ(std::vector<unsigned char>(file.begin(), file.end()), expect);
}

TEST(QkBmpSrv, RowPaddingAndSizes)
{
    const struct {
        int width;
        size_t row;
    } rows[] = {{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}, {0, 0}};
    for (const auto& r : rows) EXPECT_EQ(qkbmprowsize(r.width), r.row) << "width " << r.width;

    qkbmpImageInfo img;
    ASSERT_EQ(qkbmpimageinit(&img, 5, 3, 0xABCDEF), 0);
    std::vector<unsigned char> bytes;
    ASSERT_EQ(qkbmpencode(&img, &bytes), 0);
    ASSERT_EQ(bytes.size(), 54u + 16 * 3);
    // Padding bytes are zero, pixels repeat blue-green-red.
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 54, bytes.begin() + 70),
              (std::vector<unsigned char>{0xEF, 0xCD, 0xAB, 0xEF, 0xCD, 0xAB, 0xEF, 0xCD, 0xAB, 0xEF, 0xCD, 0xAB,
                                          0xEF, 0xCD, 0xAB, 0}));
}

TEST(QkBmpSrv, RefusesImagesItCannotWrite)
{
    qkbmpImageInfo img;
    EXPECT_EQ(qkbmpimageinit(&img, 0, 5, 0), -2);
    EXPECT_EQ(qkbmpimageinit(&img, 5, QKBMP_MAXSIDE + 1, 0), -2);

    std::vector<unsigned char> bytes;
    img.width = 4;
    img.height = 4;
    img.pixels.assign(15, 0);                       // one pixel short
    EXPECT_EQ(qkbmpencode(&img, &bytes), -2);
    EXPECT_EQ(qkbmpencode(nullptr, &bytes), -2);

    vxtest::TempTree tree;
    const std::string path = tree.path("work/short.bmp");
    EXPECT_EQ(qkbmpwrite(path.c_str(), &img), -2);
    EXPECT_FALSE(vxtest::fileExists(path));
}

TEST(QkBmpSrv, UnopenableFileIsLoggedAndNothingWritten)
{
    vxtest::TempTree tree;
    const std::string log = tree.path("work/bmp.log");
    ASSERT_EQ(qklogopn(log.c_str()), 0);
    qkbmpImageInfo img;
    ASSERT_EQ(qkbmpimageinit(&img, 2, 2, 0), 0);
    const std::string path = tree.path("missing/dir/x.bmp");
    EXPECT_EQ(qkbmpwrite(path.c_str(), &img), -1);
    qklogcls();
    EXPECT_FALSE(vxtest::fileExists(path));
    EXPECT_EQ(vxtest::countLines(vxtest::readFile(log), "Unable to open: " + path), 1);
}
