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

    // Queues one answer (logged once as a whole, with its label). Idle text
    // is sent only while the line is read: a reader that comes late sees the
    // line of the moment, never minutes of old ones; answers are always kept.
    void send(const std::string& bytes, const char* label, bool idle = false);
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
        bool idle = false;
    };
    // False when idle text would only pile up; throws away unread idle text.
    bool idleWanted();
    Link& link_;
    const Faults& faults_;
    Model& model_;
    std::deque<Piece> q_;
    Clock::time_point lastAt_{};
    long sent_ = 0;
    long dropAfter_ = 0;   // the drop fault in force, and the byte count when it was set
    long dropBase_ = 0;
    bool answerUnread_ = false;   // an answer went out since the reader's queue was last seen empty
    bool idleHeld_ = false;       // idle text is being held back (logged once)
};

}  // namespace ae
