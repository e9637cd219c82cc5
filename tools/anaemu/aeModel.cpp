// aeModel: see aeModel.h.
#include "aeModel.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

namespace ae {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMbarPerPsi = 68.9476;
constexpr double kKpaPerPsi = 6.89476;
constexpr double kLinePressurePsia = 800.0;   // pipeline pressure for the dew point

const Personality kPersonalities[] = {
    {"2f", kApp2F, "HC12-2.30 0123", "HC12-2.31 0150", 0x0123, 0, 'C', "psia", "ppmv", "H2O", 42.0, 290,
     262.0, 0.0, 0.0},
    {"2f-dual", kApp2F, "HC12-2.30 F012", "HC12-2.31 F020", 0xF012, 0, 'C', "psia", "ppmv", "H2O", 42.0, 291,
     226.0, 300.0, 0.8},
    {"2f-co2", kApp2F, "HC12-2.30 0123", "HC12-2.31 0150", 0x0123, 1, 'C', "psia", "ppmv", "CO2", 42.0, 290,
     248.0, 338.0, 0.25},
    {"ns", kAppNS, "ARM9_NS-1.12 0417", "ARM9_NS-1.13 0501", 0x0417, 0, 'C', "mbar", "ppmv", "H2O", 42.0, 0,
     256.0, 0.0, 0.0},
    {"fs", kAppFS, "ARM9_FS-1.05 0233", "ARM9_FS-1.06 0260", 0x0233, 0, 'C', "kPa", "ppmv", "H2S", 4.0, 0,
     256.0, 0.0, 0.0},
};

// Peak counts per ppmv of the measured line: 42 ppmv H2O give about 9650
// counts, 4 ppmv H2S about 2950.
double countsPerPpm(const Personality& p) { return std::string(p.gas) == "H2S" ? 737.5 : 229.8; }

double wave(double t, double period) { return std::sin(2.0 * kPi * t / period); }

// Water dew point in C of a gas holding ppm parts per million of water at
// the given total pressure (Magnus formula over the partial pressure in hPa).
double dewPoint(double ppm, double psia)
{
    double e = ppm * 1e-6 * psia * kMbarPerPsi;
    if (e <= 0.0) return -100.0;
    double g = std::log(e / 6.112);
    return 243.04 * g / (17.625 - g);
}

}  // namespace

const Personality* personalityByKey(const std::string& key)
{
    for (const Personality& p : kPersonalities)
        if (key == p.key) return &p;
    return nullptr;
}

Model::Model(const Options& o)
{
    p_ = personalityByKey(o.personality);
    if (p_ == nullptr) p_ = personalityByKey("ns");
    version_ = !o.versionText.empty() ? o.versionText : (o.unsupported ? p_->unsupported : p_->version);
    emuBit_ = o.emuBit;
    unsigned seed = o.seedSet ? o.seed
                              : static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
    rng_.seed(seed);
    setConfigDefaults(o);
    walk_ = o.conc > 0.0 ? o.conc : p_->baseConc;
    if (o.faults.alarmsSet) forcedAlarms_ = o.faults.alarms;
    update(0.0);
}

void Model::setConfigDefaults(const Options& o)
{
    bool arm9 = !hc12();
    bool h2s = std::string(p_->gas) == "H2S";
    cfg_ = {
        {43001, o.slave}, {43002, arm9 ? 4 : 0}, {43003, 0}, {43004, p_->app == kApp2F ? 0 : (p_->app == kAppNS ? 1 : 2)},
        {43005, 0}, {43006, 30}, {43007, 16}, {43010, 1}, {43011, 0}, {43020, 1}, {43100, 10},
        {45001, 20230417}, {45003, p_->build}, {45023, 2147483646.0},
        {47007, 0}, {47009, h2s ? 50 : 500}, {47011, h2s ? 8 : 150}, {47013, 0}, {47015, 0}, {47017, 1.0},
        {47019, 0}, {47021, 0}, {47023, 25.0}, {47025, 45.0}, {47027, 18.0}, {47029, 4.5},
    };
    if (arm9) {
        cfg_[43030] = 300;
        cfg_[43031] = 30;
        cfg_[47031] = 50.0;
        cfg_[47051] = h2s ? 10.0 : 100.0;
    } else {
        cfg_[43307] = o.peakType != 0 ? o.peakType : p_->peakType;
    }
    // The base concentration is the middle of the drift.
    cfg_[-1] = o.conc > 0.0 ? o.conc : p_->baseConc;
}

double Model::gauss(double sigma) { return sigma * normal_(rng_); }

double Model::config(int number) const
{
    auto it = cfg_.find(number);
    return it != cfg_.end() ? it->second : 0.0;
}

bool Model::setConfig(int number, double value)
{
    auto it = cfg_.find(number);
    if (it == cfg_.end() || number < 0) return false;
    it->second = value;
    return true;
}

void Model::update(double t)
{
    const double base = cfg_[-1];
    // The concentration wanders around its base in one-second steps.
    if (stepT_ < 0) stepT_ = t;
    while (stepT_ + 1.0 <= t) {
        stepT_ += 1.0;
        walk_ += gauss(0.004 * base) - 0.01 * (walk_ - base);
    }
    const bool arm9 = !hc12();
    const double raw = std::max(0.0, walk_ + 0.08 * base * wave(t, 600.0));
    Values v;
    v.wall = static_cast<long long>(std::time(nullptr));
    v.conc = std::max(0.0, raw * config(47017) + config(47015));
    v.pressurePsia = 14.7 + 0.05 * wave(t, 300.0) + gauss(0.01);
    switch (p_->app) {
    case kAppNS: v.pressure = v.pressurePsia * kMbarPerPsi + config(47019); break;
    case kAppFS: v.pressure = v.pressurePsia * kKpaPerPsi + config(47019); break;
    default: v.pressure = v.pressurePsia + config(47019); break;
    }
    v.cellTemp = (arm9 ? config(47031) + gauss(0.02) : 25.0 + 0.2 * wave(t, 1800.0) + gauss(0.02)) + config(47021);
    v.laserTemp = config(47023) + gauss(0.004);
    v.laserCurrent = config(47025) + config(47027) / 2.0 + gauss(0.02);
    v.supply = 24.0 + gauss(0.03);
    v.elecTemp = 35.0 + 2.0 * wave(t, 3600.0) + gauss(0.05);
    v.peakIndex = static_cast<int>(std::lround(p_->line1 + 2.0 * wave(t, 900.0)));
    v.peakHeight = std::min(30000.0, raw * countsPerPpm(*p_));
    v.fitRatio = 1.0 + 0.03 * wave(t, 420.0) + gauss(0.003);
    v.lineCenter = 256.0 + 0.5 * wave(t, 700.0) + gauss(0.02);
    v.dryPeak = p_->app == kAppNS ? 420.0 * v.fitRatio + 60.0 * wave(t, 1200.0) : 180.0 + 20.0 * wave(t, 800.0);
    v.dcLevel = static_cast<int>(std::lround(18200.0 + 300.0 * wave(t, 500.0) + gauss(20.0)));
    v.wetDc = p_->app == kAppNS ? v.dcLevel + 100 : v.dcLevel - 100;
    v.dryDc = p_->app == kAppNS ? v.dcLevel - 100 : v.dcLevel + 100;
    v.detector = v.dcLevel / 18200.0 * 2.5;
    v.ratio2fdc = v.dcLevel > 0 ? v.peakHeight / v.dcLevel : 0.0;
    v.dewPoint = dewPoint(v.conc, kLinePressurePsia);
    v.zeroOffset = static_cast<int>(std::clamp(std::lround(gauss(15.0)), -50L, 50L));
    double period = arm9 ? std::max(1.0, config(43030)) : 1.0;
    v.valve = arm9 ? static_cast<int>(std::floor(t / period)) % 2 : 0;
    v.scanCount = 123456u + static_cast<std::uint32_t>(t);
    v.hours = 12000u + static_cast<std::uint32_t>(t / 3600.0);

    std::uint32_t word = 0;
    if (v.conc > config(47011)) word |= 0x2;
    if (config(47013) > 0.0 && v.conc < config(47013)) word |= 0x4;
    word &= static_cast<std::uint32_t>(config(45023));
    word |= forcedAlarms_;
    if ((word & ~1u) != 0) word |= 1u;   // summary bit
    v.alarmWord = word;
    v.statusWord = static_cast<std::uint16_t>((word >> 1) & 0xFFFF);
    v_ = v;
}

std::string Model::identityPayload() const
{
    // Two type bytes: an emulator sends the value in the first byte and marks
    // itself in the second; an analyzer sends the value high byte first.
    std::string s = version_;
    s += ',';
    if (emuBit_) {
        s += static_cast<char>(p_->typeValue);
        s += static_cast<char>(0x04);
    } else {
        s += static_cast<char>(0x00);
        s += static_cast<char>(p_->typeValue);
    }
    s += ',';
    s += p_->tempUnit;
    s += ',';
    s += p_->presUnit;
    s += ',';
    s += p_->concUnit;
    s += ',';
    return s;
}

std::string Model::recordLine() const
{
    const Values& v = v_;
    time_t wall = static_cast<time_t>(v.wall);
    tm local{};
    localtime_r(&wall, &local);
    char date[16], clock[16];
    std::strftime(date, sizeof date, "%Y/%m/%d", &local);
    std::strftime(clock, sizeof clock, "%H:%M:%S", &local);
    char line[512];
    switch (p_->app) {
    case kApp2F:
        std::snprintf(line, sizeof line,
                      "%s, %s, %.1f, %.2f, %.1f, %.2f, %.1f, %d, %d, %d, %.2f, %.2f, %.1f, %04X", date, clock,
                      v.conc, v.conc / 21.1, v.dewPoint, v.pressure, v.cellTemp, v.peakIndex,
                      static_cast<int>(std::lround(v.peakHeight)), v.dcLevel, v.ratio2fdc, v.laserTemp,
                      v.laserCurrent, v.statusWord);
        break;
    case kAppNS:
        std::snprintf(line, sizeof line,
                      "%s\t%s\t%.1f\t%.2f\t%.1f\t%.1f\t%.3f\t%d\t%d\t%d\t%d\t%d\t%.2f\t%.1f\t%d\t%u", date, clock,
                      v.conc, v.conc / 21.1, v.pressure, v.cellTemp, v.fitRatio, v.peakIndex,
                      static_cast<int>(std::lround(v.dryPeak)), static_cast<int>(std::lround(v.peakHeight)),
                      v.dryDc, v.wetDc, v.laserTemp, v.laserCurrent, v.valve, v.alarmWord);
        break;
    default:
        std::snprintf(line, sizeof line,
                      "%s\t%s\t%.1f\t%.2f\t%.1f\t%.1f\t%d\t%d\t%d\t%d\t%d\t%.2f\t%.1f\t%d\t%u", date, clock, v.conc,
                      v.conc * 1.417, v.pressure, v.cellTemp, v.peakIndex,
                      static_cast<int>(std::lround(v.peakHeight)), static_cast<int>(std::lround(v.dryPeak)),
                      v.wetDc, v.dryDc, v.laserTemp, v.laserCurrent, v.valve, v.alarmWord);
        break;
    }
    return line;
}

bool Model::reg(int number, double& value) const
{
    const Values& v = v_;
    const bool arm9 = !hc12();
    switch (number) {
    case 43201: value = v.peakIndex; return true;
    case 43202: value = v.dcLevel; return true;
    case 43203: value = v.valve; return arm9;
    case 45005: value = v.scanCount; return true;
    case 45007: value = v.hours; return true;
    case 45021: value = v.alarmWord; return true;
    case 47001: value = v.conc; return true;
    case 47003: value = v.pressure; return true;
    case 47005: value = v.cellTemp; return true;
    case 47033: value = v.fitRatio; return p_->app == kAppNS;
    case 47035: value = v.laserTemp; return true;
    case 47037: value = v.laserCurrent; return true;
    case 47039: value = v.detector; return true;
    case 47041: value = v.supply; return true;
    case 47043: value = v.elecTemp; return true;
    case 47045: value = v.peakHeight; return true;
    default: break;
    }
    auto it = cfg_.find(number);
    if (it == cfg_.end() || number < 0) return false;
    value = it->second;
    return true;
}

}  // namespace ae
