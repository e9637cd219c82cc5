// Fuzzer of the UI definition reader: every package and element handler, the
// package stack under arbitrary nesting, resource replacements, include files
// and user definitions, read into a fresh window record for every input.
//
// Input: one option byte, then the definition text, optionally followed by
// "|||" and a second text. The fuzzer works in a folder of its own, where the
// definition is "main.xml" and the second text is written as "res", "inc" and
// "defs", so a definition can name them in RESOURCEFILE, INCLUDEFILE and
// USERDEFINITION (and "main.xml" to include itself).
// Option bits: 1 full window audit (the log goes to /dev/null), 2 path type 1,
// 4 colour palette present. The fuzzer changes into its folder, so corpus
// paths are given in full; qkwincfg.dict holds the tags of the vocabulary:
//   build-fuzz/bin/fuzz_qkwincfg -max_total_time=60 -dict=$PWD/fuzz/qkwincfg.dict \
//       /tmp/wincfg-corpus $PWD/fuzz/corpus/qkwincfg
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

#include "qklogsrv.h"
#include "qkwincfgsrv.h"
#include "qkwinpalettesrv.h"
#include "qkwinsrv.h"

namespace {

qkwinInfo* gPalette = nullptr;   // holds the built-in palette the windows share

void writeFile(const char* path, const std::string& text)
{
    FILE* fp = std::fopen(path, "wb");
    if (fp == nullptr) std::abort();
    std::fwrite(text.data(), 1, text.size(), fp);
    std::fclose(fp);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char dir[] = "/tmp/fuzzwincfg.XXXXXX";
    if (mkdtemp(dir) == nullptr || chdir(dir) != 0) std::abort();
    qklogopn("/dev/null");
    gPalette = new qkwinInfo{};
    qkwinpalettecreatefrom(gPalette, "no-colour-list.xml");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 64 * 1024) return 0;
    int options = data[0];
    std::string in(reinterpret_cast<const char*>(data + 1), size - 1);
    size_t sep = in.find("|||");
    std::string second = sep == std::string::npos ? std::string() : in.substr(sep + 3);
    writeFile("main.xml", in.substr(0, sep));
    writeFile("res", second);
    writeFile("inc", second);
    writeFile("defs", second);

    auto window = std::make_unique<qkwinInfo>();
    if (options & 1) qkwincfgsetaudit(window.get(), 0xF);
    if (options & 2) window->os.pthTyp = 1;
    if (options & 4) window->palette = gPalette->palette;
    qkwincfgsetpath(window.get(), "main.xml");
    qkwincfgread(window.get());
    qkwincfgfreetables(window.get());
    return 0;
}
