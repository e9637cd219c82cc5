// aeModbus: the analyzer's Modbus RTU slave, active while the diagnostic
// protocol has switched Modbus mode on. The register map comes from the
// model: 16-bit integers at 3000-4999, 32-bit integers at 5000-6999 and
// floats at 7000-8999 (two registers each, most significant word first).
// The analyzer checks the frame's CRC and slave address itself; libmodbus
// builds the answer (function 3 and its exceptions) and writes it into a
// socket pair, from which the answer goes out through the fault-aware writer.
#pragma once

#include <cstdint>
#include <string>

#include "aeFaults.h"
#include "aeModel.h"

typedef struct _modbus modbus_t;
typedef struct _modbus_mapping_t modbus_mapping_t;

namespace ae {

std::uint16_t crc16(const std::uint8_t* p, std::size_t n);

class ModbusSlave {
public:
    explicit ModbusSlave(Model& model);
    ~ModbusSlave();
    ModbusSlave(const ModbusSlave&) = delete;
    ModbusSlave& operator=(const ModbusSlave&) = delete;

    bool ready() const { return ctx_ != nullptr && map_ != nullptr; }
    // Length of the request frame at the start of buf, 0 while too few bytes
    // have arrived to tell.
    static std::size_t frameLength(const std::string& buf);
    // Answers one complete request frame; empty when it is not answered (bad
    // CRC, another slave, broadcast).
    std::string handle(const std::string& frame, const Faults& faults);

private:
    // Fills the mapping for [addr, addr + count); false when an address is not
    // one of the analyzer's or the range cuts a 32-bit value in two.
    bool fill(int addr, int count);
    std::string collect();

    Model& model_;
    modbus_t* ctx_ = nullptr;
    modbus_mapping_t* map_ = nullptr;
    int pair_[2] = {-1, -1};
};

}  // namespace ae
