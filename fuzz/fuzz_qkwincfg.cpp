// Fuzzer of the UI definition reader: every package and element handler, the
// package stack under arbitrary nesting, resource, include and user-definition
// names, read into a fresh window record for every input. The definition is
// read from memory, as the reader takes a file's text; the files it names
// (RESOURCEFILE, INCLUDEFILE, USERDEFINITION) are looked for in an empty
// folder of the fuzzer's own, so they are missing.
//
// Input: one option byte, then the definition text.
// Option bits: 1 full window audit (no log file is open: the lines are
// formatted and dropped), 2 path type 1, 4 colour palette present.
// qkwincfg.dict holds the tags of the vocabulary:
//   build/fuzz/bin/fuzz_qkwincfg -max_total_time=60 -dict=fuzz/qkwincfg.dict \
//       /tmp/wincfg-corpus fuzz/corpus/qkwincfg
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <unistd.h>

#include "qkwincfgsrv.h"
#include "qkwinpalettesrv.h"
#include "qkwinsrv.h"

namespace {

qkwinInfo* gPalette = nullptr;   // holds the built-in palette the windows share
char gDir[] = "/tmp/fuzzwincfg.XXXXXX";

void removeDir()
{
    rmdir(gDir);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (mkdtemp(gDir) == nullptr || chdir(gDir) != 0) std::abort();
    std::atexit(removeDir);
    gPalette = new qkwinInfo{};
    qkwinpalettecreatefrom(gPalette, "no-colour-list.xml");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 64 * 1024) return 0;
    int options = data[0];

    auto window = std::make_unique<qkwinInfo>();
    if (options & 1) qkwincfgsetaudit(window.get(), 0xF);
    if (options & 2) window->os.pthTyp = 1;
    if (options & 4) window->palette = gPalette->palette;
    qkwincfgsetpath(window.get(), "main.xml");
    qkwincfgreadtext(window.get(), reinterpret_cast<const char*>(data + 1), size - 1);
    qkwincfgfreetables(window.get());
    return 0;
}
