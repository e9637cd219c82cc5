// aeFaults: the faults a test can ask of the emulated analyzer, set from the
// command line and switched while running through a control file. The line
// writer (aeOutput), the block writer (aeDiagProt) and the Modbus slave
// (aeModbus) consult the current set.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>

namespace ae {

struct Faults {
    bool silence = false;      // read and log requests, never answer
    int garbage = 0;           // random bytes put before every answer
    int splitSize = 0;         // answers written in pieces of this many bytes ...
    int splitPauseMs = 0;      // ... with this pause between the pieces
    int oversize = 0;          // filler bytes added to the payload of every data block
    int wrongSlave = -1;       // slave address put into Modbus answers (-1: the right one)
    int exception = 0;         // exception code for every Modbus request (0: none)
    long dropAfter = 0;        // bytes sent on a connection before it is dropped (0: never)
    int slowBps = 0;           // line speed limit in bytes per second (0: none)
    int answerDelayMs = 0;     // every answer held back this long before it is sent (0: none)
    bool alarmsSet = false;    // forced alarm bits given (not a line fault, switched the same way)
    std::uint32_t alarms = 0;
};

// Applies one fault word ("garbage", "split", ...) with its argument text to f;
// returns false with a reason in err for an unknown word or a bad argument.
bool faultsApply(Faults& f, const std::string& word, const std::string& arg, std::string& err);
// Reads a control text: one word and its argument a line, '#' starts a
// comment, "none" clears. The result is a whole new set.
bool faultsParseText(const std::string& text, Faults& f, std::string& err);
// Short description for the log ("silence, split 4:30").
std::string faultsDescribe(const Faults& f);

// Watches a control file; poll() reloads it when its status changed.
class ControlFile {
public:
    explicit ControlFile(std::string path) : path_(std::move(path)) {}
    // Notes the file as it is at start, without reading it: the faults of the
    // command line stay in force until the file changes.
    void prime();
    // Returns true when the file changed and was read into f (f is left as it
    // was when the file cannot be read or holds an error).
    bool poll(Faults& f);

private:
    // True when the file's status differs from the one noted last (and notes it).
    bool changed();

    std::string path_;
    bool seen_ = false;
    long long mtimeNs_ = 0;
    off_t size_ = -1;
    ino_t ino_ = 0;
};

}  // namespace ae
