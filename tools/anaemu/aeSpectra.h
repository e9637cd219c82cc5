// aeSpectra: the spectra and the diagnostic header of one scan. At the start
// of a scan the analyzer takes the process values of that moment and
// computes every spectrum it can deliver: 2f line shapes of the absorption
// lines (second harmonic of a Lorentzian line at a modulation depth of 2.2
// half-widths), DC detector ramps with their absorption dip, noise, and for
// the differential analyzers the wet/dry pairs, their difference and the
// stored references. All payloads are made safe for a data block, which ends
// at the first two adjacent 0x5D bytes.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "aeModel.h"

namespace ae {

constexpr int kSpectrumPoints = 512;

class Spectra {
public:
    explicit Spectra(Model& model) : model_(model) {}

    // Takes a new scan from the model's current values.
    void newScan();
    bool hasScan() const { return scanned_; }
    // The diagnostic header of the scan (taken now when no scan was started).
    std::string header();
    // The payload answering a data point; false when the analyzer has none.
    bool dataPoint(int dp, std::string& payload);

    const std::vector<std::int16_t>& samples(int dp) { return spectra_[dp]; }

private:
    void make2F();
    void makeArm9();

    Model& model_;
    bool scanned_ = false;
    Values snap_;
    std::map<int, std::vector<std::int16_t>> spectra_;   // by data point (2F: 12 AC, 14 DC)
};

// Serialised fields with the significance of every byte (0 the least
// significant byte of its field), so that the block guard nudges a field by
// the smallest amount.
struct FieldBytes {
    std::string bytes;
    std::vector<std::uint8_t> sig;
    void put(std::uint32_t value, int size, bool bigEndian);
    void putFloat(float value, bool bigEndian);
};

// Makes bytes safe as a data-block payload: wherever two adjacent bytes are
// 0x5D, the less significant one is moved by one count (0x5D to 0x5C); a last
// byte 0x5D, which would merge with the closing brackets, likewise.
void blockSafe(std::string& bytes, const std::vector<std::uint8_t>& sig);
// Samples as little-endian 16-bit values, made block-safe.
std::string samplesPayload(const std::int16_t* s, int count);

}  // namespace ae
