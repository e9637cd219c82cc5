// aeOutput: everything the analyzer sends goes through this writer. It
// applies the line faults of the moment (silence, garbage in front, answers
// in pieces with pauses, a slow line, dropping the connection after a number
// of bytes), garbles what is sent while a virtual port runs at a foreign
// speed, and schedules the pieces so the main loop never blocks.
#pragma once

#include <deque>
#include <string>

#include "aeFaults.h"
#include "aeLink.h"
#include "aeModel.h"

namespace ae {

class Output {
public:
    Output(Link& link, const Faults& faults, Model& model) : link_(link), faults_(faults), model_(model) {}

    // Queues one answer (logged once as a whole, with its label).
    void send(const std::string& bytes, const char* label);
    // Writes what is due; call when the line is writable or a piece falls due.
    void flush(Clock::time_point now);
    bool pending() const { return !q_.empty(); }
    // True when the head piece is due and waits for the line to take it.
    bool wantsWrite(Clock::time_point now) const { return !q_.empty() && q_.front().at <= now; }
    Clock::time_point due() const { return q_.empty() ? Clock::time_point::max() : q_.front().at; }
    // A new connection: nothing of the old one is sent, the byte count restarts.
    void reset();
    long sentOnConnection() const { return sent_; }

private:
    struct Piece {
        std::string bytes;
        Clock::time_point at;
    };
    Link& link_;
    const Faults& faults_;
    Model& model_;
    std::deque<Piece> q_;
    Clock::time_point lastAt_{};
    long sent_ = 0;
    long dropAfter_ = 0;   // the drop fault in force, and the byte count when it was set
    long dropBase_ = 0;
};

}  // namespace ae
