// aeModel: the emulated analyzer itself: its personality (application,
// identity, units), its configuration registers and the process values that
// change over time (concentration drifting around its base, pressure,
// temperatures, peak data, valve cycle, alarm word, scan counter).
// The protocol modules read from here; the front panel also writes the
// registers an operator may change.
#pragma once

#include <cstdint>
#include <map>
#include <random>
#include <string>

#include "aeOptions.h"

namespace ae {

enum AppType { kApp2F = 6, kAppNS = 7, kAppFS = 8 };

struct Personality {
    const char* key;
    int app;                   // 6 2F, 7 NS, 8 FS
    const char* version;       // version text of a supported firmware
    const char* unsupported;   // a version text the configuration does not know
    int build;                 // build word read as hexadecimal
    std::uint8_t typeValue;    // 0 single, 1 CO2
    char tempUnit;
    const char* presUnit;
    const char* concUnit;
    const char* gas;           // measured component
    double baseConc;           // ppmv
    int peakType;              // H2O peak type register (2F)
    double line1, line2;       // absorption line centres (spectrum points); line2 0: none
    double line2Strength;      // strength of the second line relative to the first
};

// The process values at one moment.
struct Values {
    long long wall = 0;        // seconds since the epoch (analyzer clock)
    double conc = 0;           // shown concentration, ppmv (span and offset applied)
    double pressure = 0;       // in the analyzer's pressure unit
    double pressurePsia = 0;
    double cellTemp = 0, laserTemp = 0, laserCurrent = 0;
    double detector = 0, supply = 0, elecTemp = 0;
    double peakHeight = 0;     // 2f peak of the measured gas (2F; NS wet; FS sample)
    double dryPeak = 0;        // NS dried / FS scrubbed 2f peak
    double fitRatio = 1.0;     // NS
    double lineCenter = 256.0; // FS
    double ratio2fdc = 0;
    double dewPoint = 0;       // 2F, at line pressure
    int peakIndex = 256;
    int dcLevel = 18000, wetDc = 18000, dryDc = 18000;
    int valve = 0;
    int zeroOffset = 0;
    std::uint32_t alarmWord = 0;
    std::uint32_t scanCount = 0;
    std::uint32_t hours = 0;
    std::uint16_t statusWord = 0;
};

class Model {
public:
    explicit Model(const Options& o);

    const Personality& personality() const { return *p_; }
    int app() const { return p_->app; }
    bool hc12() const { return p_->app == kApp2F; }
    bool emuBit() const { return emuBit_; }
    int slave() const { return static_cast<int>(cfg_.at(43001)); }
    const std::string& versionText() const { return version_; }

    // Advances the process to t seconds after the start.
    void update(double t);
    const Values& values() const { return v_; }

    // Payload of the identity block: version, type bytes, units.
    std::string identityPayload() const;
    // One measurement record as the analyzer streams it (without line end).
    std::string recordLine() const;

    // Register by its profile number (4nnnn); false when the analyzer has none.
    bool reg(int number, double& value) const;
    double config(int number) const;
    bool setConfig(int number, double value);
    void setForcedAlarms(std::uint32_t bits) { forcedAlarms_ = bits; }

    double gauss(double sigma);
    std::mt19937& rng() { return rng_; }

private:
    void setConfigDefaults(const Options& o);

    const Personality* p_ = nullptr;
    std::string version_;
    bool emuBit_ = false;
    std::map<int, double> cfg_;
    std::mt19937 rng_;
    std::normal_distribution<double> normal_{0.0, 1.0};
    Values v_;
    double walk_ = 0;          // concentration random walk
    double stepT_ = -1;        // time of the last walk step
    std::uint32_t forcedAlarms_ = 0;
};

const Personality* personalityByKey(const std::string& key);

}  // namespace ae
