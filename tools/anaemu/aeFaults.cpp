// aeFaults: see aeFaults.h.
#include "aeFaults.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "aeLog.h"

namespace ae {

namespace {

bool toLong(const std::string& s, long lo, long hi, long& v)
{
    if (s.empty()) return false;
    char* end = nullptr;
    long x = std::strtol(s.c_str(), &end, 0);
    if (end == nullptr || *end != '\0' || x < lo || x > hi) return false;
    v = x;
    return true;
}

}  // namespace

bool faultsApply(Faults& f, const std::string& word, const std::string& arg, std::string& err)
{
    long v = 0;
    auto bad = [&](const char* what) {
        err = word + ": " + what + " expected, got \"" + arg + "\"";
        return false;
    };
    if (word == "none") {
        f = Faults{};
    } else if (word == "silence") {
        f.silence = true;
    } else if (word == "garbage") {
        if (!toLong(arg, 1, 4096, v)) return bad("byte count 1..4096");
        f.garbage = static_cast<int>(v);
    } else if (word == "split") {
        auto colon = arg.find(':');
        long ms = 0;
        if (colon == std::string::npos || !toLong(arg.substr(0, colon), 1, 4096, v) ||
            !toLong(arg.substr(colon + 1), 0, 10000, ms))
            return bad("SIZE:MS");
        f.splitSize = static_cast<int>(v);
        f.splitPauseMs = static_cast<int>(ms);
    } else if (word == "oversize") {
        if (!toLong(arg, 1, 65536, v)) return bad("byte count 1..65536");
        f.oversize = static_cast<int>(v);
    } else if (word == "wrong-slave") {
        if (!toLong(arg, 0, 255, v)) return bad("address 0..255");
        f.wrongSlave = static_cast<int>(v);
    } else if (word == "exception") {
        if (!toLong(arg, 1, 11, v)) return bad("exception code 1..11");
        f.exception = static_cast<int>(v);
    } else if (word == "drop-after") {
        if (!toLong(arg, 1, 1L << 30, v)) return bad("byte count");
        f.dropAfter = v;
    } else if (word == "slow") {
        if (!toLong(arg, 1, 1000000, v)) return bad("bytes per second");
        f.slowBps = static_cast<int>(v);
    } else if (word == "answer-delay") {
        if (!toLong(arg, 1, 60000, v)) return bad("delay 1..60000 ms");
        f.answerDelayMs = static_cast<int>(v);
    } else if (word == "alarms") {
        if (!toLong(arg, 0, 0xFFFFFFFFL, v)) return bad("alarm word");
        f.alarmsSet = true;
        f.alarms = static_cast<std::uint32_t>(v);
    } else {
        err = "unknown fault \"" + word + "\"";
        return false;
    }
    return true;
}

bool faultsParseText(const std::string& text, Faults& f, std::string& err)
{
    Faults next;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        auto hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string word, arg, extra;
        if (!(words >> word)) continue;
        words >> arg;
        if (words >> extra) {
            err = "too many words in \"" + line + "\"";
            return false;
        }
        if (!faultsApply(next, word, arg, err)) return false;
    }
    f = next;
    return true;
}

std::string faultsDescribe(const Faults& f)
{
    std::string s;
    auto add = [&s](const std::string& part) { s += (s.empty() ? "" : ", ") + part; };
    if (f.silence) add("silence");
    if (f.garbage > 0) add("garbage " + std::to_string(f.garbage));
    if (f.splitSize > 0) add("split " + std::to_string(f.splitSize) + ":" + std::to_string(f.splitPauseMs));
    if (f.oversize > 0) add("oversize " + std::to_string(f.oversize));
    if (f.wrongSlave >= 0) add("wrong-slave " + std::to_string(f.wrongSlave));
    if (f.exception > 0) add("exception " + std::to_string(f.exception));
    if (f.dropAfter > 0) add("drop-after " + std::to_string(f.dropAfter));
    if (f.slowBps > 0) add("slow " + std::to_string(f.slowBps));
    if (f.answerDelayMs > 0) add("answer-delay " + std::to_string(f.answerDelayMs));
    if (f.alarmsSet) add("alarms " + std::to_string(f.alarms));
    return s.empty() ? "none" : s;
}

bool ControlFile::changed()
{
    struct stat st {};
    if (stat(path_.c_str(), &st) != 0) return false;
    long long mt = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    if (seen_ && mt == mtimeNs_ && st.st_size == size_ && st.st_ino == ino_) return false;
    seen_ = true;
    mtimeNs_ = mt;
    size_ = st.st_size;
    ino_ = st.st_ino;
    return true;
}

void ControlFile::prime()
{
    if (changed()) logf("control file %s present at start: read at its next change", path_.c_str());
}

bool ControlFile::poll(Faults& f)
{
    if (!changed()) return false;
    std::ifstream in(path_);
    if (!in) return false;
    std::stringstream text;
    text << in.rdbuf();
    std::string err;
    if (!faultsParseText(text.str(), f, err)) {
        logf("control file %s: %s; faults unchanged", path_.c_str(), err.c_str());
        return false;
    }
    logf("control file %s: faults now %s", path_.c_str(), faultsDescribe(f).c_str());
    return true;
}

}  // namespace ae
