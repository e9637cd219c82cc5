// aeOutput: see aeOutput.h.
#include "aeOutput.h"

#include <algorithm>

#include "aeLog.h"

namespace ae {

namespace {
constexpr std::size_t kMaxQueued = 64 * 1024;
// Idle text waits behind no more than this many bytes.
constexpr std::size_t kIdleSlack = 512;
}  // namespace

bool Output::idleWanted()
{
    std::size_t queued = 0;
    for (const Piece& p : q_) queued += p.bytes.size();
    long unread = link_.unread();
    if (unread == 0) answerUnread_ = false;
    bool held = queued > kIdleSlack;
    if (!held && unread > 0) {
        // Old idle text nobody has read is replaced by the current line;
        // an answer the reader has not taken yet is kept, and waits alone.
        held = answerUnread_ || (!link_.discardUnread() && unread > static_cast<long>(kIdleSlack));
    }
    if (held && !idleHeld_)
        logf("idle lines held back: %zu bytes queued, %ld bytes not read yet", queued, unread);
    idleHeld_ = held;
    return !held;
}

void Output::send(const std::string& bytes, const char* label, bool idle)
{
    if (bytes.empty()) return;
    if (faults_.silence) {
        logf("silent: %s of %zu bytes not sent", label, bytes.size());
        return;
    }
    if (idle && !idleWanted()) return;
    std::string out;
    if (faults_.garbage > 0) {
        for (int i = 0; i < faults_.garbage; ++i)
            out += static_cast<char>(model_.rng()() & 0xFF);
        logf("garbage: %d random bytes before the %s", faults_.garbage, label);
    }
    out += bytes;
    if (!link_.speedMatches()) {
        // At a foreign line speed every character arrives as noise.
        for (char& c : out) c = static_cast<char>(0x80 | (model_.rng()() & 0x7F));
        logf("line set to %d, analyzer runs at another speed: %s garbled", link_.lineSpeed(), label);
    }
    logBytes(("tx " + std::string(label)).c_str(), bytes.data(), bytes.size());

    // A slow analyzer: the answer leaves only after the delay (and after
    // whatever is still queued, so answers keep their order).
    auto now = Clock::now();
    auto at = std::max(now + std::chrono::milliseconds(faults_.answerDelayMs), lastAt_);
    std::size_t piece = out.size();
    auto gap = std::chrono::microseconds(0);
    if (faults_.splitSize > 0) {
        piece = static_cast<std::size_t>(faults_.splitSize);
        gap = std::chrono::milliseconds(faults_.splitPauseMs);
    }
    if (faults_.slowBps > 0) {
        // A slow line: pieces of at most a twentieth of a second of bytes.
        piece = std::min(piece, std::max<std::size_t>(1, static_cast<std::size_t>(faults_.slowBps / 20)));
    }
    for (std::size_t off = 0; off < out.size(); off += piece) {
        std::size_t n = std::min(piece, out.size() - off);
        q_.push_back({out.substr(off, n), at, idle});
        auto pace = gap;
        if (faults_.slowBps > 0)
            pace = std::max(pace, std::chrono::microseconds(static_cast<long long>(n) * 1000000LL / faults_.slowBps));
        at += pace;
    }
    lastAt_ = at;
    // Nobody reads a virtual port that no client holds open: keep the newest
    // bytes only, as a serial line would lose the rest.
    std::size_t queued = 0;
    for (const Piece& p : q_) queued += p.bytes.size();
    std::size_t dropped = 0;
    while (queued > kMaxQueued && q_.size() > 1) {
        queued -= q_.front().bytes.size();
        dropped += q_.front().bytes.size();
        q_.pop_front();
    }
    if (dropped > 0) logf("line not read: %zu old bytes dropped", dropped);
}

void Output::flush(Clock::time_point now)
{
    // Bytes count towards a drop from the moment the fault was set.
    if (faults_.dropAfter != dropAfter_) {
        dropAfter_ = faults_.dropAfter;
        dropBase_ = sent_;
    }
    while (!q_.empty() && q_.front().at <= now) {
        Piece& p = q_.front();
        std::size_t n = p.bytes.size();
        bool drop = false;
        const long dropAt = dropBase_ + dropAfter_;
        if (dropAfter_ > 0 && sent_ + static_cast<long>(n) >= dropAt) {
            n = static_cast<std::size_t>(std::max(0L, dropAt - sent_));
            drop = true;
        }
        long w = n > 0 ? link_.write(p.bytes.data(), n) : 0;
        if (w < 0) {
            reset();
            return;
        }
        sent_ += w;
        if (w > 0 && !p.idle) answerUnread_ = true;
        if (drop && sent_ >= dropAt) {
            logf("dropping the connection after %ld bytes", sent_);
            link_.hangUpAfterRead("dropped on request");
            reset();
            return;
        }
        if (static_cast<std::size_t>(w) < p.bytes.size()) {
            p.bytes.erase(0, static_cast<std::size_t>(w));
            return;   // the line is full; the rest goes when it is writable
        }
        q_.pop_front();
    }
}

void Output::reset()
{
    q_.clear();
    sent_ = 0;
    dropBase_ = 0;
    answerUnread_ = false;
    idleHeld_ = false;
    lastAt_ = Clock::time_point{};
}

}  // namespace ae
