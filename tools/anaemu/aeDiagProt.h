// aeDiagProt: the analyzer's side of its text diagnostic protocol. A request
// is two backslashes, a three-digit address and a code, with no terminator:
// the code ends after six characters, at the next byte that cannot belong to
// it, or when the line has been quiet for a moment. The analyzer answers with
// "OK", with a data block ("[" payload "]]"), with a record stream (lines
// ended by CR LF, a line "]]" after every block of ten records), or not at
// all. It also owns the analyzer's modes: in Modbus mode binary frames go to
// the Modbus slave, in front-panel mode other bytes go to the console.
#pragma once

#include <string>

#include "aeFaults.h"
#include "aeFrontPanel.h"
#include "aeLink.h"
#include "aeModbus.h"
#include "aeModel.h"
#include "aeOutput.h"
#include "aeSpectra.h"

namespace ae {

class Session {
public:
    Session(Model& model, Spectra& spectra, ModbusSlave& modbus, FrontPanel& panel, Output& out, Link& link,
            const Options& o, const Faults& faults)
        : model_(model), spectra_(spectra), modbus_(modbus), panel_(panel), out_(out), link_(link), o_(o),
          faults_(faults)
    {
    }

    // A new connection: all modes off, nothing half read.
    void reset(Clock::time_point now);
    void feed(const char* data, std::size_t n, Clock::time_point now);
    void tick(Clock::time_point now);
    Clock::time_point due() const;
    bool modbusMode() const { return modbusMode_; }

private:
    enum class Stream { None, Mode6, Params };

    void parse(Clock::time_point now, bool quiet);
    void request(int addr, const std::string& code, Clock::time_point now);
    bool command(const std::string& code, Clock::time_point now);
    void dataPoint(const std::string& code);
    void sendBlock(std::string payload, const std::string& label);
    void ack(const char* label);
    void startStream(Stream kind, Clock::time_point now);
    void streamTick(Clock::time_point now);
    void idleTick(Clock::time_point now);
    bool idleActive() const;

    Model& model_;
    Spectra& spectra_;
    ModbusSlave& modbus_;
    FrontPanel& panel_;
    Output& out_;
    Link& link_;
    const Options& o_;
    const Faults& faults_;

    std::string in_;
    Clock::time_point lastRx_{};
    Clock::time_point lastActivity_{};
    bool modbusMode_ = false;
    Stream stream_ = Stream::None;
    bool blockRunning_ = false;
    int recordsInBlock_ = 0;
    Clock::time_point nextRecord_ = Clock::time_point::max();
    Clock::time_point nextIdle_{};
};

}  // namespace ae
