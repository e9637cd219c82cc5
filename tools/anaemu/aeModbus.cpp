// aeModbus: see aeModbus.h.
#include "aeModbus.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <modbus.h>
#include <sys/socket.h>
#include <unistd.h>

#include "aeLog.h"

namespace ae {

namespace {
constexpr int kFirstAddr = 3000;
constexpr int kLastAddr = 8999;
}  // namespace

std::uint16_t crc16(const std::uint8_t* p, std::size_t n)
{
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int b = 0; b < 8; ++b) crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

ModbusSlave::ModbusSlave(Model& model) : model_(model)
{
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair_) != 0) {
        logf("modbus: socketpair failed: %s", std::strerror(errno));
        return;
    }
    fcntl(pair_[0], F_SETFL, O_NONBLOCK);
    // The device name is never opened: libmodbus writes its answers into the pair.
    ctx_ = modbus_new_rtu("/dev/null", 9600, 'N', 8, 1);
    if (ctx_ != nullptr) {
        modbus_set_socket(ctx_, pair_[1]);
        modbus_set_slave(ctx_, model_.slave());
    }
    map_ = modbus_mapping_new_start_address(0, 0, 0, 0, kFirstAddr, kLastAddr - kFirstAddr + 1, 0, 0);
}

ModbusSlave::~ModbusSlave()
{
    if (map_ != nullptr) modbus_mapping_free(map_);
    if (ctx_ != nullptr) modbus_free(ctx_);
    for (int fd : pair_)
        if (fd >= 0) close(fd);
}

std::size_t ModbusSlave::frameLength(const std::string& buf)
{
    if (buf.size() < 2) return 0;
    auto at = [&](std::size_t i) { return static_cast<unsigned char>(buf[i]); };
    switch (at(1)) {
    case 15:
    case 16: return buf.size() < 7 ? 0 : 9 + at(6);
    case 23: return buf.size() < 11 ? 0 : 13 + at(10);
    default: return 8;
    }
}

bool ModbusSlave::fill(int addr, int count)
{
    for (int a = addr; a < addr + count; ++a) {
        if (a < kFirstAddr || a > kLastAddr) return false;
        bool wide = a >= 5000;
        bool second = wide && (a - 5000) % 2 == 1;
        // A read must not start or end in the middle of a 32-bit value.
        if ((a == addr && second) || (a == addr + count - 1 && wide && !second)) return false;
        int number = (second ? a - 1 : a) + 40001;
        double v = 0;
        if (!model_.reg(number, v)) return false;
        std::uint32_t bits = 0;
        if (a < 5000) {
            bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(v))) & 0xFFFF;
        } else if (a < 7000) {
            bits = static_cast<std::uint32_t>(static_cast<std::int64_t>(std::llround(v)) & 0xFFFFFFFF);
        } else {
            float f = static_cast<float>(v);
            std::memcpy(&bits, &f, sizeof bits);
        }
        std::uint16_t word = a < 5000 ? static_cast<std::uint16_t>(bits)
                                      : static_cast<std::uint16_t>(second ? bits & 0xFFFF : bits >> 16);
        map_->tab_registers[a - kFirstAddr] = word;
    }
    return true;
}

std::string ModbusSlave::collect()
{
    std::string out;
    char buf[512];
    for (;;) {
        ssize_t n = ::read(pair_[0], buf, sizeof buf);
        if (n <= 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
}

std::string ModbusSlave::handle(const std::string& frame, const Faults& faults)
{
    if (!ready() || frame.size() < 4) return {};
    std::uint8_t req[MODBUS_RTU_MAX_ADU_LENGTH] = {};
    std::size_t n = std::min(frame.size(), sizeof req);
    std::memcpy(req, frame.data(), n);
    std::uint16_t crc = crc16(req, n - 2);
    if (req[n - 2] != (crc & 0xFF) || req[n - 1] != (crc >> 8)) {
        logf("modbus: CRC error in a frame of %zu bytes, not answered", n);
        return {};
    }
    int slave = req[0];
    if (slave == 0) {
        logf("modbus: broadcast frame, not answered");
        return {};
    }
    if (slave != model_.slave()) {
        logf("modbus: frame for slave %d, this analyzer is %d: not answered", slave, model_.slave());
        return {};
    }
    int function = req[1];
    int addr = (req[2] << 8) | req[3];
    int count = (req[4] << 8) | req[5];
    int exception = 0;
    if (function != MODBUS_FC_READ_HOLDING_REGISTERS) {
        exception = MODBUS_EXCEPTION_ILLEGAL_FUNCTION;
    } else if (faults.exception > 0) {
        exception = faults.exception;
    } else if (count < 1 || count > MODBUS_MAX_READ_REGISTERS) {
        exception = MODBUS_EXCEPTION_ILLEGAL_DATA_VALUE;
    } else if (!fill(addr, count)) {
        exception = MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS;
    }
    int rc = exception != 0 ? modbus_reply_exception(ctx_, req, static_cast<unsigned>(exception))
                            : modbus_reply(ctx_, req, static_cast<int>(n), map_);
    if (rc < 0) logf("modbus: reply failed: %s", modbus_strerror(errno));
    if (exception != 0)
        logf("modbus: function %d, address %d, count %d: exception %d", function, addr, count, exception);
    else
        logf("modbus: function %d, address %d (register %d), count %d", function, addr, addr + 40001, count);
    std::string answer = collect();
    if (faults.wrongSlave >= 0 && answer.size() >= 4) {
        // The answer is built for the right address and readdressed here:
        // libmodbus keeps quiet for address 0, and a test of a wrong answer
        // wants the broadcast address too. The CRC is made to match.
        answer[0] = static_cast<char>(faults.wrongSlave);
        auto* p = reinterpret_cast<const std::uint8_t*>(answer.data());
        std::uint16_t sum = crc16(p, answer.size() - 2);
        answer[answer.size() - 2] = static_cast<char>(sum & 0xFF);
        answer[answer.size() - 1] = static_cast<char>(sum >> 8);
        logf("wrong-slave: answer sent from address %d", faults.wrongSlave);
    }
    return answer;
}

}  // namespace ae
