// aeFrontPanel: see aeFrontPanel.h.
#include "aeFrontPanel.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "aeLog.h"

namespace ae {

namespace {

constexpr char kEsc = 27;
constexpr auto kUpdateEvery = std::chrono::seconds(1);
constexpr auto kFullEvery = std::chrono::seconds(5);
constexpr auto kFirstScreen = std::chrono::milliseconds(500);

const char* const kMenu[] = {"VALUES", "DIAGNOSTICS", "ALARMS", "CONC OFFSET", "ABOUT"};
constexpr int kMenuCount = 5;

// Alarm names by id; the NS and FS analyzers name id 15 after their dryer or scrubber.
const char* alarmName(int id, int app)
{
    static const char* const names[] = {
        "High Concentration", "Low Concentration", "Cell Pressure Range", "Cell Temp Range",
        "Laser Temp Fault", "Laser Current Fault", "Peak Tracking Lost", "Detector Signal Low",
        "Detector Saturated", "Analog Output Fault", "Supply Voltage", "Memory Checksum",
        "Reference Invalid", "Conc Over Range", "Fit Ratio Range", "Dryer Exhausted",
        "Valve Switch Fault", "Cell Heater Fault", "Validation Failed", "Sample Flow Low"};
    if (id == 15 && app == kAppFS) return "Scrubber Exhausted";
    if (id >= 0 && id < static_cast<int>(sizeof names / sizeof names[0])) return names[id];
    return "Alarm";
}

std::string fit(const std::string& s)
{
    std::string r = s.substr(0, kPanelCols);
    r.resize(kPanelCols, ' ');
    return r;
}

template <typename... A>
std::string fmt(const char* f, A... a)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, f, a...);
    return fit(buf);
}

std::string cursorTo(int row, int col) { return std::string(1, kEsc) + "[" + std::to_string(row + 1) + ";" + std::to_string(col + 1) + "H"; }

}  // namespace

void FrontPanel::enterMode()
{
    mode_ = true;
    stage_ = Stage::Login;
    line_.clear();
    consoleWord_ = false;
}

void FrontPanel::leaveMode()
{
    mode_ = false;
    stage_ = Stage::Login;
    line_.clear();
    consoleWord_ = false;
    haveShown_ = false;
    nextFull_ = nextUpdate_ = Clock::time_point::max();
}

void FrontPanel::feed(char c, Clock::time_point now)
{
    if (!mode_) return;
    if (stage_ == Stage::Display && !consoleWord_ && line_.empty()) {
        if (c == 0x17) {
            consoleWord_ = true;
            return;
        }
        if (std::strchr("#*ET0123456789-.", c) != nullptr && c != '\0') {
            logf("front panel: key %c", c);
            key(c);
            return;
        }
    }
    if (c == '\r') return;
    if (c == '\n') {
        std::string line = line_;
        line_.clear();
        consoleWord_ = false;
        consoleLine(line, now);
        return;
    }
    if (line_.size() < 64) line_ += c;
}

void FrontPanel::consoleLine(const std::string& line, Clock::time_point now)
{
    if (line.empty()) return;
    switch (stage_) {
    case Stage::Login: {
        bool digits = line.size() == 8 && line.find_first_not_of("0123456789") == std::string::npos;
        if (digits && (o_.accessCode.empty() || o_.accessCode == line)) {
            logf("front panel: access code accepted");
            stage_ = Stage::Console;
            out_.send("[Access granted]]\r\n", "access granted");
        } else {
            logf("front panel: access code refused");
            out_.send("[Access denied]]\r\n", "access denied");
        }
        return;
    }
    case Stage::Console:
        if (line == "display") {
            stage_ = Stage::Display;
            screen_ = Screen::Measure;
            haveShown_ = false;
            out_.send("[Display on]]\r\n", "display on");
            // The first screen follows once the console has had time to settle.
            nextFull_ = now + kFirstScreen;
            nextUpdate_ = Clock::time_point::max();
        } else if (line == "exit") {
            stage_ = Stage::Login;
            out_.send("[Bye]]\r\n", "console closed");
        } else {
            out_.send("[Unknown command]]\r\n", "unknown console command");
        }
        return;
    case Stage::Display:
        if (line == "exit") {
            logf("front panel: display stream ended");
            stage_ = Stage::Console;
            haveShown_ = false;
            nextFull_ = nextUpdate_ = Clock::time_point::max();
        } else if (line == "display") {
            redraw(true);
        }
        return;
    }
}

void FrontPanel::key(char k)
{
    message_.clear();
    switch (screen_) {
    case Screen::Measure:
        if (k == 'E') screen_ = Screen::Menu;
        break;
    case Screen::Menu:
        if (k == '*') menuSel_ = (menuSel_ + kMenuCount - 1) % kMenuCount;
        if (k == '#') menuSel_ = (menuSel_ + 1) % kMenuCount;
        if (k >= '1' && k <= '0' + kMenuCount) menuSel_ = k - '1';
        if (k == 'T') screen_ = Screen::Measure;
        if (k == 'E' || (k >= '1' && k <= '0' + kMenuCount)) {
            static const Screen targets[] = {Screen::Values, Screen::Diagnostics, Screen::Alarms, Screen::Offset,
                                             Screen::About};
            screen_ = targets[menuSel_];
            alarmPage_ = 0;
            entry_.clear();
        }
        break;
    case Screen::Alarms:
        if (k == '#') ++alarmPage_;
        if (k == '*' && alarmPage_ > 0) --alarmPage_;
        if (k == 'T' || k == 'E') screen_ = Screen::Menu;
        break;
    case Screen::Offset:
        if ((k >= '0' && k <= '9') || k == '-' || k == '.') {
            if (entry_.size() < 7) entry_ += k;
        } else if (k == '*') {
            if (!entry_.empty()) entry_.pop_back();
        } else if (k == 'T') {
            screen_ = Screen::Menu;
        } else if (k == 'E') {
            char* end = nullptr;
            double v = std::strtod(entry_.c_str(), &end);
            if (entry_.empty() || end == nullptr || *end != '\0' || v < -100.0 || v > 100.0) {
                message_ = "OUT OF RANGE";
            } else {
                model_.setConfig(47015, v);
                logf("front panel: concentration offset set to %.2f", v);
                message_ = "OFFSET SET";
            }
            entry_.clear();
        }
        break;
    default:
        if (k == 'T' || k == 'E') screen_ = Screen::Menu;
        break;
    }
    redraw(true);
}

PanelImage FrontPanel::render() const
{
    const Values& v = model_.values();
    const Personality& p = model_.personality();
    const char* app = p.app == kApp2F ? "2F" : (p.app == kAppNS ? "NS" : "FS");
    PanelImage img;
    auto& r = img.rows;
    switch (screen_) {
    case Screen::Measure:
        r[0] = fmt("%s %s ANALYZER", app, p.gas);
        r[1] = fmt("%9.1f %s", v.conc, p.concUnit);
        r[2] = fmt("P%.1f%s T%.1f%c", v.pressure, p.presUnit, v.cellTemp, p.tempUnit);
        r[3] = (v.alarmWord & ~1u) != 0 ? fmt("ALARM %08X", v.alarmWord) : fit("OK          E=MENU");
        break;
    case Screen::Menu: {
        r[0] = fmt("MAIN MENU        %d/%d", menuSel_ + 1, kMenuCount);
        int first = menuSel_ - 1;
        if (first < 0) first = 0;
        if (first > kMenuCount - 3) first = kMenuCount - 3;
        for (int i = 0; i < 3; ++i) r[i + 1] = fmt("%d %s", first + i + 1, kMenu[first + i]);
        img.highlight = menuSel_ - first + 1;
        break;
    }
    case Screen::Values:
        r[0] = fmt("CONC %.2f %s", v.conc, p.concUnit);
        r[1] = fmt("PRES %.2f %s", v.pressure, p.presUnit);
        r[2] = fmt("CELL %.2f %c", v.cellTemp, p.tempUnit);
        r[3] = fit("T=BACK");
        break;
    case Screen::Diagnostics:
        r[0] = fmt("LASER T %.2f C", v.laserTemp);
        r[1] = fmt("LASER I %.1f mA", v.laserCurrent);
        r[2] = fmt("PEAK %d DC %d", v.peakIndex, v.dcLevel);
        r[3] = fmt("DET %.2fV SUP %.1fV", v.detector, v.supply);
        break;
    case Screen::Alarms: {
        std::string names[32];
        int n = 0;
        for (int id = 0; id < 31; ++id)
            if ((v.alarmWord >> (id + 1)) & 1u) names[n++] = alarmName(id, p.app);
        int pages = n == 0 ? 1 : (n + 2) / 3;
        int page = alarmPage_ < pages ? alarmPage_ : pages - 1;
        r[0] = fmt("ALARMS %d      %d/%d", n, page + 1, pages);
        for (int i = 0; i < 3; ++i) {
            int k = page * 3 + i;
            r[i + 1] = fit(k < n ? names[k] : (n == 0 && i == 0 ? "NO ACTIVE ALARMS" : ""));
        }
        break;
    }
    case Screen::Offset:
        r[0] = fmt("CONC OFFSET %s", p.concUnit);
        r[1] = fmt("NOW %.2f", model_.config(47015));
        r[2] = fit("NEW " + entry_);
        r[3] = fit(message_.empty() ? "E=SET T=CANCEL" : message_);
        img.cursorRow = 2;
        img.cursorCol = 4 + static_cast<int>(entry_.size());
        break;
    case Screen::About:
        r[0] = fit(model_.versionText());
        r[1] = fmt("SN %.0f", model_.config(45001));
        r[2] = fmt("BUILD %.0f", model_.config(45003));
        r[3] = fit("T=BACK");
        break;
    }
    return img;
}

std::string FrontPanel::displayLine(const PanelImage& img, const PanelImage* previous)
{
    const std::string esc(1, kEsc);
    std::string s = esc + "[?25l";   // cursor off while drawing
    if (previous == nullptr) s += esc + "[2J";
    for (int r = 0; r < kPanelRows; ++r) {
        bool changed = previous == nullptr || previous->rows[r] != img.rows[r] || previous->highlight != img.highlight;
        if (!changed) continue;
        if (previous != nullptr) s += cursorTo(r, 0) + esc + "[2K";
        if (r == img.highlight) s += esc + "[7m";
        s += cursorTo(r, 0) + img.rows[r];
        if (r == img.highlight) s += esc + "[0m";
    }
    if (img.cursorRow >= 0) s += cursorTo(img.cursorRow, img.cursorCol) + esc + "[?25h";
    return s + "\r\n";
}

void FrontPanel::redraw(bool full)
{
    if (stage_ != Stage::Display) return;
    PanelImage img = render();
    bool partial = !full && haveShown_;
    if (partial && img.rows == shown_.rows && img.highlight == shown_.highlight && img.cursorCol == shown_.cursorCol)
        return;
    out_.send(displayLine(img, partial ? &shown_ : nullptr), full ? "display" : "display update");
    shown_ = img;
    haveShown_ = true;
}

void FrontPanel::tick(Clock::time_point now)
{
    if (stage_ != Stage::Display) return;
    if (now >= nextFull_) {
        redraw(true);
        nextFull_ = now + kFullEvery;
        nextUpdate_ = now + kUpdateEvery;
    } else if (now >= nextUpdate_) {
        redraw(false);
        nextUpdate_ = now + kUpdateEvery;
    }
}

Clock::time_point FrontPanel::due() const
{
    if (stage_ != Stage::Display) return Clock::time_point::max();
    return std::min(nextFull_, nextUpdate_);
}

}  // namespace ae
