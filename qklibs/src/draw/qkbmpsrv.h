// qkbmpsrv (draw): the library's own writer of 24-bit bitmap files. Plot images and
// window captures are saved through it, so a file is byte for byte the same on
// every machine and toolkit version: a 14-byte file header, a 40-byte info
// header, no colour table, rows of blue-green-red bytes from the bottom row
// up, each row padded with zero bytes to a multiple of four, and a fixed
// resolution of 3780 pixels per metre (96 dots per inch).
//
// Portable; reentrant (works only on the caller's records).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// An image in memory: width x height pixels, rows from the top, each pixel
// 0x00RRGGBB.
struct qkbmpImageInfo {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

constexpr int QKBMP_FILEHEADERSIZE = 14;
constexpr int QKBMP_INFOHEADERSIZE = 40;
constexpr int QKBMP_PIXELOFFSET = QKBMP_FILEHEADERSIZE + QKBMP_INFOHEADERSIZE;
constexpr int QKBMP_PELSPERMETER = 3780;
// Largest side accepted: keeps every size field of the headers in range.
constexpr int QKBMP_MAXSIDE = 16384;

// Makes image width x height pixels of colour 0xRRGGBB. Returns 0, -2 for a
// side below 1 or above QKBMP_MAXSIDE.
int qkbmpimageinit(qkbmpImageInfo* image, int width, int height, uint32_t rgb);

// Bytes of one padded pixel row of a 24-bit bitmap width pixels wide.
size_t qkbmprowsize(int width);

// The whole file image (headers and pixel rows) of image into out. Returns 0,
// -2 for a missing image, a side out of range or too few pixels.
int qkbmpencode(const qkbmpImageInfo* image, std::vector<unsigned char>* out);

// Writes image to the file path. A file that cannot be opened logs
// "Unable to open: %s" and returns -1 without writing; a failed write returns
// -1 (what was written is removed); -2 as for qkbmpencode.
int qkbmpwrite(const char* path, const qkbmpImageInfo* image);
