// qkbmpsrv: the 24-bit bitmap writer (see the header).
#include "qkbmpsrv.h"

#include <cstdio>

#include "qkfilesrv.h"
#include "qklogsrv.h"

namespace {

// Header fields are little-endian whatever the machine.
void put16(std::vector<unsigned char>& out, uint32_t v)
{
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

void put32(std::vector<unsigned char>& out, uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

bool sideok(int side) { return side >= 1 && side <= QKBMP_MAXSIDE; }

}  // namespace

int qkbmpimageinit(qkbmpImageInfo* image, int width, int height, uint32_t rgb)
{
    qklogTrace("qkbmpimageinit");
    if (image == nullptr || !sideok(width) || !sideok(height)) return -2;
    image->width = width;
    image->height = height;
    image->pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), rgb & 0xFFFFFF);
    return 0;
}

size_t qkbmprowsize(int width)
{
    qklogTrace("qkbmprowsize");
    if (width < 1) return 0;
    return (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
}

int qkbmpencode(const qkbmpImageInfo* image, std::vector<unsigned char>* out)
{
    qklogTrace("qkbmpencode");
    if (image == nullptr || out == nullptr || !sideok(image->width) || !sideok(image->height)) return -2;
    const size_t w = static_cast<size_t>(image->width);
    const size_t h = static_cast<size_t>(image->height);
    if (image->pixels.size() < w * h) return -2;
    const size_t row = qkbmprowsize(image->width);
    const size_t imageSize = row * h;

    out->clear();
    out->reserve(QKBMP_PIXELOFFSET + imageSize);
    // File header: "BM", file size, two reserved words, offset of the pixels.
    out->push_back('B');
    out->push_back('M');
    put32(*out, static_cast<uint32_t>(QKBMP_PIXELOFFSET + imageSize));
    put16(*out, 0);
    put16(*out, 0);
    put32(*out, QKBMP_PIXELOFFSET);
    // Info header: a positive height means the rows run from the bottom up.
    put32(*out, QKBMP_INFOHEADERSIZE);
    put32(*out, static_cast<uint32_t>(image->width));
    put32(*out, static_cast<uint32_t>(image->height));
    put16(*out, 1);                                  // planes
    put16(*out, 24);                                 // bits per pixel
    put32(*out, 0);                                  // uncompressed
    put32(*out, static_cast<uint32_t>(imageSize));
    put32(*out, QKBMP_PELSPERMETER);
    put32(*out, QKBMP_PELSPERMETER);
    put32(*out, 0);                                  // colours used: all
    put32(*out, 0);                                  // important colours: all

    for (size_t y = h; y-- > 0;) {
        const uint32_t* src = &image->pixels[y * w];
        for (size_t x = 0; x < w; ++x) {
            out->push_back(static_cast<unsigned char>(src[x] & 0xFF));
            out->push_back(static_cast<unsigned char>((src[x] >> 8) & 0xFF));
            out->push_back(static_cast<unsigned char>((src[x] >> 16) & 0xFF));
        }
        for (size_t pad = w * 3; pad < row; ++pad) out->push_back(0);
    }
    return 0;
}

int qkbmpwrite(const char* path, const qkbmpImageInfo* image)
{
    qklogTrace("qkbmpwrite");
    if (path == nullptr || path[0] == '\0') return -2;
    std::vector<unsigned char> bytes;
    if (qkbmpencode(image, &bytes) != 0) return -2;
    qkfileHandle fp = qkfileopenhandle(path, "wb");
    if (!fp) {
        qklogf("qkbmpwrite", "Unable to open: %s", path);
        return -1;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), fp.get()) == bytes.size();
    const bool closed = qkfileclosewritten(fp);
    if (!written || !closed) {
        qklogf("qkbmpwrite", "write error: %s", path);
        std::remove(path);
        return -1;
    }
    return 0;
}
