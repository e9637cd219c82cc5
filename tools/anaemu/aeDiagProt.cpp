// aeDiagProt: see aeDiagProt.h.
#include "aeDiagProt.h"

#include <cctype>
#include <cstdlib>

#include "aeLog.h"

namespace ae {

namespace {
// A request code is complete once the line has been quiet this long.
constexpr auto kQuiet = std::chrono::milliseconds(30);
constexpr int kRecordsPerBlock = 10;
constexpr std::size_t kMaxInput = 8192;

bool allDigits(const std::string& s)
{
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}
}  // namespace

void Session::reset(Clock::time_point now)
{
    in_.clear();
    modbusMode_ = false;
    panel_.leaveMode();
    stream_ = Stream::None;
    blockRunning_ = false;
    nextRecord_ = Clock::time_point::max();
    lastActivity_ = now;
    nextIdle_ = now;
}

void Session::feed(const char* data, std::size_t n, Clock::time_point now)
{
    logBytes("rx", data, n);
    if (!link_.speedMatches()) {
        logf("line set to %d, analyzer runs at %d: %zu bytes heard as noise", link_.lineSpeed(), o_.baud, n);
        return;
    }
    in_.append(data, n);
    if (in_.size() > kMaxInput) {
        logf("input overflow: %zu bytes discarded", in_.size() - kMaxInput);
        in_.erase(0, in_.size() - kMaxInput);
    }
    lastRx_ = now;
    lastActivity_ = now;
    parse(now, false);
}

void Session::parse(Clock::time_point now, bool quiet)
{
    while (!in_.empty()) {
        const bool text = in_[0] == '\\' && (in_.size() < 2 || in_[1] == '\\');
        if (modbusMode_ && !text) {
            std::size_t len = ModbusSlave::frameLength(in_);
            if (len == 0 || in_.size() < len) {
                if (quiet) {
                    logf("modbus: incomplete frame of %zu bytes discarded", in_.size());
                    in_.clear();
                }
                return;
            }
            std::string answer = modbus_.handle(in_.substr(0, len), faults_);
            in_.erase(0, len);
            if (!answer.empty()) out_.send(answer, "modbus answer");
            continue;
        }
        if (in_[0] != '\\') {
            std::size_t next = in_.find('\\');
            std::size_t n = next == std::string::npos ? in_.size() : next;
            if (panel_.modeOn()) {
                for (std::size_t i = 0; i < n; ++i) panel_.feed(in_[i], now);
            } else {
                logf("%zu bytes outside a request ignored", n);
            }
            in_.erase(0, n);
            continue;
        }
        if (in_.size() < 2) {
            if (quiet) in_.clear();
            return;
        }
        std::size_t i = 2;
        while (i < in_.size() && i < 5 && std::isdigit(static_cast<unsigned char>(in_[i]))) ++i;
        if (i < 5) {
            if (i < in_.size() || quiet) {
                logf("request without a three-digit address ignored");
                in_.erase(0, i);
                continue;
            }
            return;
        }
        std::size_t j = 5;
        while (j < in_.size() && j < 11 && std::isalnum(static_cast<unsigned char>(in_[j]))) ++j;
        const bool ended = j < in_.size() || j == 11;
        if (!ended && !quiet) return;
        int addr = std::atoi(in_.substr(2, 3).c_str());
        std::string code = in_.substr(5, j - 5);
        in_.erase(0, j);
        if (code.empty()) {
            logf("request %03d without a code ignored", addr);
            continue;
        }
        request(addr, code, now);
    }
}

void Session::request(int addr, const std::string& code, Clock::time_point now)
{
    logf("request: address %03d, code %s", addr, code.c_str());
    if (addr != 0 && addr != 1 && addr != model_.slave()) {
        logf("request for address %03d, this analyzer is %03d: not answered", addr, model_.slave());
        return;
    }
    lastActivity_ = now;
    // Any request but the next-block request ends a running record stream.
    if (code != "070001" && stream_ != Stream::None) {
        logf("record stream ended");
        stream_ = Stream::None;
        blockRunning_ = false;
        nextRecord_ = Clock::time_point::max();
    }
    if (command(code, now)) return;
    if (allDigits(code)) {
        dataPoint(code);
        return;
    }
    logf("unknown request %s: not answered", code.c_str());
}

bool Session::command(const std::string& code, Clock::time_point now)
{
    const bool hc12 = model_.hc12();
    if (code == "01") {
        sendBlock(model_.identityPayload(), "identity");
    } else if (code == (hc12 ? "23" : "220001")) {
        modbusMode_ = true;
        ack("Modbus mode on");
    } else if (code == (hc12 ? "24" : "220000")) {
        modbusMode_ = false;
        ack("Modbus mode off");
    } else if (!hc12 && code == "33") {
        panel_.enterMode();
        ack("front-panel mode on");
    } else if (!hc12 && code == "34") {
        panel_.leaveMode();
        ack("front-panel mode off");
    } else if (hc12 && code == "06") {
        startStream(Stream::Mode6, now);
    } else if (!hc12 && code == "62") {
        startStream(Stream::Params, now);
    } else if (code == "070001") {
        if (stream_ == Stream::Mode6) {
            logf("mode 6 stream runs on");
        } else {
            startStream(hc12 ? Stream::Mode6 : Stream::Params, now);
        }
    } else if (code == "09") {
        spectra_.newScan();
        logf("scan started: concentration %.2f", model_.values().conc);
    } else if (code == "23" || code == "24" || code == "220001" || code == "220000" || code == "33" ||
               code == "34" || code == "06" || code == "62") {
        logf("request %s is not one of this analyzer's: not answered", code.c_str());
    } else {
        return false;
    }
    return true;
}

void Session::dataPoint(const std::string& code)
{
    long dp = std::strtol(code.c_str(), nullptr, 10);
    if (dp == 10) {
        sendBlock(spectra_.header(), "diagnostic header");
        return;
    }
    // The HC12 knows its spectrum halves by two-digit codes and its other
    // data points as six digits below the ARM9 range.
    bool known = model_.hc12() ? (code.size() == 2 ? (dp >= 12 && dp <= 15) : dp < 100000) : code.size() == 6;
    std::string payload;
    if (known && spectra_.dataPoint(static_cast<int>(dp), payload)) {
        sendBlock(payload, "data point " + code);
    } else if (code.size() == 6) {
        sendBlock("", "empty block for unknown data point " + code);
    } else {
        logf("unknown request %s: not answered", code.c_str());
    }
}

void Session::sendBlock(std::string payload, const std::string& label)
{
    if (faults_.oversize > 0) {
        for (int i = 0; i < faults_.oversize; ++i) payload += static_cast<char>('0' + i % 10);
        logf("oversize: %d filler bytes added to the %s", faults_.oversize, label.c_str());
    }
    out_.send("[" + payload + "]]", label.c_str());
}

void Session::ack(const char* label) { out_.send("OK\r\n", label); }

void Session::startStream(Stream kind, Clock::time_point now)
{
    logf("%s stream started", kind == Stream::Mode6 ? "mode 6" : "parameters");
    stream_ = kind;
    blockRunning_ = true;
    recordsInBlock_ = 0;
    nextRecord_ = now;
}

void Session::streamTick(Clock::time_point now)
{
    if (stream_ == Stream::None || !blockRunning_ || now < nextRecord_) return;
    out_.send(model_.recordLine() + "\r\n", "record");
    nextRecord_ = now + std::chrono::milliseconds(o_.recordMs);
    if (++recordsInBlock_ < kRecordsPerBlock) return;
    out_.send("]]\r\n", "block end");
    recordsInBlock_ = 0;
    if (stream_ == Stream::Params) {
        // The ARM9 sends one block and waits for the next-block request.
        blockRunning_ = false;
        nextRecord_ = Clock::time_point::max();
    }
}

bool Session::idleActive() const
{
    return o_.idleMs > 0 && !faults_.silence && !modbusMode_ && !panel_.modeOn() && stream_ == Stream::None;
}

void Session::idleTick(Clock::time_point now)
{
    if (!idleActive()) return;
    auto every = std::chrono::milliseconds(o_.idleMs);
    if (now - lastActivity_ < every || now < nextIdle_) return;
    out_.send(model_.recordLine() + "\r\n", "idle line", true);
    nextIdle_ = now + every;
}

void Session::tick(Clock::time_point now)
{
    if (!in_.empty() && now - lastRx_ >= kQuiet) parse(now, true);
    streamTick(now);
    panel_.tick(now);
    idleTick(now);
}

Clock::time_point Session::due() const
{
    Clock::time_point d = Clock::time_point::max();
    if (!in_.empty()) d = std::min(d, lastRx_ + kQuiet);
    if (stream_ != Stream::None && blockRunning_) d = std::min(d, nextRecord_);
    d = std::min(d, panel_.due());
    if (idleActive()) d = std::min(d, std::max(nextIdle_, lastActivity_ + std::chrono::milliseconds(o_.idleMs)));
    return d;
}

}  // namespace ae
