// Fuzzer of the plot definition reader: every plot package and element
// handler, plot, axis and comment tables, sizes, pens and data sources,
// read from memory into the plot record of a fresh window for every input.
// Resource and include files named by a definition are looked for in an
// empty folder of the fuzzer's own, so they are missing.
//
// Input: one option byte (1 full plot audit, the lines formatted and dropped
// without a log file), then the definition text. qkplotcfg.dict holds the
// vocabulary's tags.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <unistd.h>

#include "qkplotsrv.h"
#include "qkwinsrv.h"

namespace {

char gDir[] = "/tmp/fuzzplotcfg.XXXXXX";

void removeDir()
{
    rmdir(gDir);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (mkdtemp(gDir) == nullptr || chdir(gDir) != 0) std::abort();
    std::atexit(removeDir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 64 * 1024) return 0;
    auto window = std::make_unique<qkwinInfo>();
    qkplotInfo* plot = qkwinplotcreate(window.get());
    if (plot == nullptr) return 0;
    if (data[0] & 1) qkplotsetaudit(plot, 0xFFFF);
    qkplotcfgreadtext(plot, reinterpret_cast<const char*>(data + 1), size - 1);
    qkwinplotfree(window.get());
    return 0;
}
