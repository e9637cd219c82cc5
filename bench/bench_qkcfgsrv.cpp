// Configuration reader throughput: a generated configuration of about 1000
// records over 71 registered keys (packages, strings, shorts, longs, floats,
// bools, with comments and character references) read with the standard
// record loop and a client that keeps a package stack and stores every value.
// Baseline in the same run: the same file read and split into lines with
// std::getline.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "qkcfgsrv.h"
#include "qksyssrv.h"

namespace {

struct Key {
    std::string name;
    int type;
};

// 71 keys: 15 packages, 20 strings, 12 shorts, 12 longs, 8 floats, 4 bools.
std::vector<Key> makeKeys()
{
    std::vector<Key> keys;
    auto add = [&](const char* stem, int n, int type) {
        for (int i = 0; i < n; ++i) keys.push_back({std::string(stem) + std::to_string(i), type});
    };
    add("PACKAGE", 15, QKCFG_PACKAGE);
    add("STRINGKEY", 20, QKCFG_STRING);
    add("SHORTKEY", 12, QKCFG_SHORT);
    add("LONGKEY", 12, QKCFG_LONG);
    add("FLOATKEY", 8, QKCFG_FLOAT);
    add("BOOLKEY", 4, QKCFG_BOOL);
    return keys;
}

const std::vector<Key>& keys()
{
    static const std::vector<Key> k = makeKeys();
    return k;
}

// About 1000 records: packages of 20 key records each, a comment every few
// records, references in some strings.
std::string makeConfig()
{
    std::string t = "<?xml version=\"1.0\"?>\n<!-- generated configuration\n     for the reader benchmark -->\n";
    const auto& k = keys();
    int records = 3;
    for (int p = 0; records < 1000; ++p) {
        const std::string pkg = k[static_cast<size_t>(p % 15)].name;
        t += "<" + pkg + ">\n";
        for (int i = 0; i < 20; ++i) {
            const Key& key = k[15 + static_cast<size_t>((p * 7 + i) % 56)];
            std::string v;
            switch (key.type) {
            case QKCFG_STRING: v = (i % 3 == 0) ? "value &lt;" + std::to_string(i) + "&gt; &amp; more" : "plain text value"; break;
            case QKCFG_SHORT: v = (i % 2) ? "0x1F" : "123"; break;
            case QKCFG_LONG: v = "40001"; break;
            case QKCFG_FLOAT: v = "3.14159"; break;
            default: v = ""; break;
            }
            t += "\t<" + key.name + ">" + v + "</" + key.name + ">";
            if (i % 5 == 0) t += " <!-- note -->";
            t += "\n";
        }
        t += "</" + pkg + ">\n";
        records += 22;
    }
    return t;
}

struct Client {
    qkcfgsrvInfo* r;
    int pkgTyp[128];
    int pkgNdx;
    long sum;
};

int onPkg(void* p)
{
    auto* c = static_cast<Client*>(p);
    if (c->r->argsPtr[c->r->ndx].type == QKCFG_PACKAGE) qkcfgstackpush(c->pkgTyp, &c->pkgNdx, 128, c->r->ndx + 1);
    return 0;
}

int onElem(void* p)
{
    auto* c = static_cast<Client*>(p);
    const qkcfgsrvArgInfo& a = c->r->argsPtr[c->r->ndx];
    if (c->pkgNdx >= 0 && a.type != QKCFG_PACKAGE) c->sum += a.val.sht + a.val.str[0];
    return 0;
}

int onPkgEnd(void* p)
{
    auto* c = static_cast<Client*>(p);
    if (qkcfgpkgclose(c->r) >= 0) qkcfgstackpop(c->pkgTyp, &c->pkgNdx, -1);
    return 0;
}

class ConfigFile {
public:
    ConfigFile()
    {
        char dir[] = "/tmp/benchcfg.XXXXXX";
        if (mkdtemp(dir) == nullptr) std::abort();
        dir_ = dir;
        path_ = dir_ + "/bench.xml";
        std::ofstream(path_, std::ios::binary) << makeConfig();
    }
    ~ConfigFile() { std::filesystem::remove_all(dir_); }
    const std::string& path() const { return path_; }

private:
    std::string dir_, path_;
};

const ConfigFile& file()
{
    static const ConfigFile f;
    return f;
}

void BM_ConfigReaderLoop(benchmark::State& state)
{
    std::string path = file().path();
    double records = 0;
    for (auto _ : state) {
        Client c{};
        c.pkgNdx = -1;
        qkcfgsrvInfo* r = static_cast<qkcfgsrvInfo*>(qksysMemAllocate(nullptr, sizeof(qkcfgsrvInfo)));
        std::memset(r, 0, sizeof *r);
        r->path = path.data();
        for (const Key& k : keys()) qkcfgaddxmltype(r, k.name.c_str(), k.type);
        qkcfgsetdelm(r, 10);
        c.r = r;
        qkcfgloopInfo loop{&c, onPkg, onElem, onPkgEnd, 0, "bench"};
        qkcfgload(r, &loop);
        records += r->rec.ndx;
        benchmark::DoNotOptimize(c.sum);
        qkcfgfreemem(r);
        qksysMemFree(r);
    }
    state.counters["records"] = benchmark::Counter(records / static_cast<double>(state.iterations()));
    state.counters["records/s"] = benchmark::Counter(records, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ConfigReaderLoop)->Unit(benchmark::kMicrosecond);

void BM_GetlineBaseline(benchmark::State& state)
{
    std::string path = file().path();
    double records = 0;
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        std::string line;
        size_t bytes = 0;
        while (std::getline(in, line)) {
            bytes += line.size();
            records += 1;
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["records/s"] = benchmark::Counter(records, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GetlineBaseline)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
