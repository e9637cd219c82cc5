// aeSpectra: see aeSpectra.h.
#include "aeSpectra.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>

namespace ae {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kModDepth = 2.2;   // modulation amplitude in half-widths

double lorentz(double x, double c, double hw)
{
    double u = (x - c) / hw;
    return 1.0 / (1.0 + u * u);
}

// Second harmonic of a Lorentzian line under wavelength modulation, scaled to
// 1 at the line centre (positive centre lobe, negative side lobes).
double raw2f(double x, double c, double hw)
{
    constexpr int kSteps = 64;
    double sum = 0.0;
    for (int k = 0; k < kSteps; ++k) {
        double th = (k + 0.5) * kPi / kSteps;
        sum += lorentz(x + kModDepth * hw * std::cos(th), c, hw) * std::cos(2.0 * th);
    }
    return -sum * 2.0 / kSteps;
}

double shape2f(double x, double c, double hw) { return raw2f(x, c, hw) / raw2f(c, c, hw); }

std::int16_t clamp16(double v)
{
    return static_cast<std::int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
}

}  // namespace

void FieldBytes::put(std::uint32_t value, int size, bool bigEndian)
{
    for (int i = 0; i < size; ++i) {
        int s = bigEndian ? size - 1 - i : i;
        bytes += static_cast<char>((value >> (8 * s)) & 0xFF);
        sig.push_back(static_cast<std::uint8_t>(s));
    }
}

void FieldBytes::putFloat(float value, bool bigEndian)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    put(bits, 4, bigEndian);
}

void blockSafe(std::string& bytes, const std::vector<std::uint8_t>& sig)
{
    auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        if (at(i) != 0x5D || at(i + 1) != 0x5D) continue;
        std::size_t j = (i < sig.size() && i + 1 < sig.size() && sig[i] < sig[i + 1]) ? i : i + 1;
        bytes[j] = static_cast<char>(0x5C);
    }
    if (!bytes.empty() && at(bytes.size() - 1) == 0x5D) bytes.back() = static_cast<char>(0x5C);
}

std::string samplesPayload(const std::int16_t* s, int count)
{
    FieldBytes f;
    for (int i = 0; i < count; ++i) f.put(static_cast<std::uint16_t>(s[i]), 2, false);
    blockSafe(f.bytes, f.sig);
    return f.bytes;
}

void Spectra::newScan()
{
    snap_ = model_.values();
    spectra_.clear();
    if (model_.hc12())
        make2F();
    else
        makeArm9();
    scanned_ = true;
}

void Spectra::make2F()
{
    const Personality& p = model_.personality();
    const Values& v = snap_;
    const double shift = v.peakIndex - p.line1;
    const double hw = p.line2 > 0 ? 14.0 : 18.0;
    std::vector<std::int16_t> ac(kSpectrumPoints), dc(kSpectrumPoints);
    const double depth = 0.02 * v.peakHeight / 10000.0;
    for (int i = 0; i < kSpectrumPoints; ++i) {
        double a = v.peakHeight * shape2f(i, p.line1 + shift, hw);
        double absorb = lorentz(i, p.line1 + shift, hw);
        if (p.line2 > 0) {
            a += v.peakHeight * p.line2Strength * shape2f(i, p.line2 + shift, hw);
            absorb += p.line2Strength * lorentz(i, p.line2 + shift, hw);
        }
        a += 0.4 * (i - 256) + v.zeroOffset + model_.gauss(20.0);
        ac[i] = clamp16(a);
        double ramp = v.dcLevel * (0.75 + 0.5 * i / (kSpectrumPoints - 1.0));
        dc[i] = clamp16(ramp * (1.0 - depth * absorb) + model_.gauss(8.0));
    }
    spectra_[12] = std::move(ac);
    spectra_[14] = std::move(dc);
}

void Spectra::makeArm9()
{
    const Values& v = snap_;
    const bool ns = model_.app() == kAppNS;
    const double c = ns ? v.peakIndex : v.lineCenter;
    const double hw = 20.0;
    auto line2f = [&](double height, double noise) {
        std::vector<std::int16_t> s(kSpectrumPoints);
        for (int i = 0; i < kSpectrumPoints; ++i)
            s[i] = clamp16(height * shape2f(i, c, hw) + 0.2 * (i - 256) + (noise > 0 ? model_.gauss(noise) : 0.0));
        return s;
    };
    auto lineDc = [&](double level, double height, double noise) {
        std::vector<std::int16_t> s(kSpectrumPoints);
        const double depth = 0.02 * height / 10000.0;
        for (int i = 0; i < kSpectrumPoints; ++i) {
            double ramp = level * (0.75 + 0.5 * i / (kSpectrumPoints - 1.0));
            s[i] = clamp16(ramp * (1.0 - depth * lorentz(i, c, hw)) + (noise > 0 ? model_.gauss(noise) : 0.0));
        }
        return s;
    };
    spectra_[400041] = line2f(v.peakHeight, 20.0);
    spectra_[400042] = line2f(v.dryPeak, 20.0);
    spectra_[400043] = lineDc(v.wetDc, v.peakHeight, 8.0);
    spectra_[400044] = lineDc(v.dryDc, v.dryPeak, 8.0);
    std::vector<std::int16_t> diff(kSpectrumPoints);
    for (int i = 0; i < kSpectrumPoints; ++i) diff[i] = clamp16(spectra_[400041][i] - spectra_[400042][i]);
    spectra_[400045] = std::move(diff);
    // Stored references: fixed shapes, no noise.
    spectra_[400051] = line2f(6000.0, 0.0);
    spectra_[400056] = line2f(ns ? 420.0 : 180.0, 0.0);
    spectra_[400057] = line2f(ns ? 9000.0 : 3000.0, 0.0);
    spectra_[400058] = lineDc(ns ? 18100.0 : 18300.0, ns ? 420.0 : 180.0, 0.0);
    spectra_[400059] = lineDc(ns ? 18300.0 : 18100.0, ns ? 9000.0 : 3000.0, 0.0);
}

std::string Spectra::header()
{
    if (!scanned_) newScan();
    const Values& v = snap_;
    FieldBytes f;
    if (model_.hc12()) {
        // The HC12 sends its header in the computer's byte order; an HC12
        // emulator that announces itself sends it most significant byte first.
        const bool be = model_.emuBit();
        f.put(v.statusWord, 2, be);
        f.put(static_cast<std::uint16_t>(v.peakIndex), 2, be);
        f.put(static_cast<std::uint16_t>(clamp16(v.peakHeight)), 2, be);
        f.put(static_cast<std::uint16_t>(clamp16(v.dcLevel)), 2, be);
        f.putFloat(static_cast<float>(v.pressure), be);
        f.putFloat(static_cast<float>(v.cellTemp), be);
        f.putFloat(static_cast<float>(v.conc), be);
        f.putFloat(static_cast<float>(v.laserTemp), be);
        f.putFloat(static_cast<float>(v.laserCurrent), be);
        f.putFloat(static_cast<float>(v.ratio2fdc), be);
        f.put(v.scanCount, 4, be);
        f.put(static_cast<std::uint16_t>(static_cast<std::int16_t>(v.zeroOffset)), 2, be);
        f.put(v.alarmWord & 0xFFFF, 2, be);
    } else {
        const bool ns = model_.app() == kAppNS;
        time_t wall = static_cast<time_t>(v.wall);
        tm local{};
        localtime_r(&wall, &local);
        f.put(static_cast<std::uint32_t>((local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday),
              4, true);
        f.put(static_cast<std::uint32_t>(local.tm_hour * 10000 + local.tm_min * 100 + local.tm_sec), 4, true);
        f.putFloat(static_cast<float>(v.conc), true);
        f.putFloat(static_cast<float>(v.pressure), true);
        f.putFloat(static_cast<float>(v.cellTemp), true);
        f.putFloat(static_cast<float>(v.laserTemp), true);
        f.putFloat(static_cast<float>(v.laserCurrent), true);
        if (ns) {
            f.putFloat(static_cast<float>(v.fitRatio), true);
            f.putFloat(static_cast<float>(v.dryPeak), true);
            f.putFloat(static_cast<float>(v.peakHeight), true);
        } else {
            f.putFloat(static_cast<float>(v.peakHeight), true);
            f.putFloat(static_cast<float>(v.dryPeak), true);
            f.putFloat(static_cast<float>(v.lineCenter), true);
        }
        f.put(static_cast<std::uint16_t>(v.peakIndex), 2, true);
        f.put(static_cast<std::uint16_t>(ns ? v.dryDc : v.wetDc), 2, true);
        f.put(static_cast<std::uint16_t>(ns ? v.wetDc : v.dryDc), 2, true);
        f.put(static_cast<std::uint16_t>(v.valve), 2, true);
        f.put(v.alarmWord, 4, true);
        f.put(v.scanCount, 4, true);
    }
    blockSafe(f.bytes, f.sig);
    return f.bytes;
}

bool Spectra::dataPoint(int dp, std::string& payload)
{
    if (!scanned_) newScan();
    payload.clear();
    if (model_.hc12()) {
        if (dp >= 12 && dp <= 15) {
            const auto& s = spectra_[dp <= 13 ? 12 : 14];
            const int half = kSpectrumPoints / 2;
            if (dp == 12 || dp == 14) {
                // Lead bytes: the point count and the first point, two 16-bit values.
                FieldBytes lead;
                lead.put(kSpectrumPoints, 2, false);
                lead.put(0, 2, false);
                payload = lead.bytes + samplesPayload(s.data(), half);
            } else {
                payload = samplesPayload(s.data() + half, half);
            }
            return true;
        }
        // Other data points of the HC12: a short table of values, no spectrum.
        if (dp >= 0 && dp < 400000) {
            std::int16_t table[16];
            for (int i = 0; i < 16; ++i) table[i] = static_cast<std::int16_t>(dp + i);
            payload = samplesPayload(table, 16);
            return true;
        }
        return false;
    }
    auto it = spectra_.find(dp);
    if (it == spectra_.end()) return false;
    payload = samplesPayload(it->second.data(), static_cast<int>(it->second.size()));
    return true;
}

}  // namespace ae
