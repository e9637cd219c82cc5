// Fuzzer of the plot engine's data-file reader: the text (from memory, as the
// reader takes a file's text) loses its comments and its carriage returns and
// is split into records in place, the way the plot engine reads a curve's
// data file; every record is then read as the engine reads a value. Besides
// the sanitizers' checks it traps when the record list is not as long as its
// count or a record lies outside the text.
//
// Input: one option byte (bit 0: "#" ... newline comments instead of "/*" ...
// "*/"; bit 1: records end with ";" instead of a line feed), then the text.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "qkdatasrv.h"
#include "qkstrsrv.h"

namespace {

void check(bool ok)
{
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 256 * 1024) return 0;
    const int options = data[0];
    qkdatasrvInfo d{};
    qkdatasetpath(&d, "fuzz-data.txt");
    if (options & 1)
        qkdatasetcomment(&d, "#", "\n");
    else
        qkdatasetcomment(&d, "/*", "*/");
    if (qkdatasettext(&d, reinterpret_cast<const char*>(data + 1), size - 1) >= 0) {
        qkdatadelcomments(&d);
        qkdatafilter(&d, "\r");
        qkdatasetdelm(&d, (options & 2) ? ';' : '\n');
        const int records = qkdataparsebuf(&d);
        check(records == d.pcnt && records <= d.dcnt + 1);
        for (int i = 0; i < records; ++i) {
            const char* r = d.pndx[i];
            check(r != nullptr && r >= d.inbufPtr && r < d.inbufPtr + d.size);
            char field[33];
            qkstrset(field, r);
            qkstrTrim(field, ' ');
            (void)std::strtod(field, nullptr);
        }
        check(d.pndx == nullptr || d.pndx[records] == nullptr);
    }
    qkdatafreemem(&d);
    return 0;
}
