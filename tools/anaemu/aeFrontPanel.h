// aeFrontPanel: the four-line, twenty-character display and the keypad of an
// ARM9 analyzer, reached through its console in front-panel (terminal) mode.
// The console first asks for the access code, then "display" starts the
// display stream: every update is one line of terminal escape sequences
// (cursor position with the row text, erase display, erase line, reverse
// video for the selected menu item, cursor on and off) ended by CR LF.
// Keys # * E T 0-9 - . move through a small menu; control-W "exit" ends the
// display. Single-threaded, driven by the diagnostic protocol.
#pragma once

#include <array>
#include <string>

#include "aeLink.h"
#include "aeModel.h"
#include "aeOptions.h"
#include "aeOutput.h"

namespace ae {

constexpr int kPanelRows = 4;
constexpr int kPanelCols = 20;

struct PanelImage {
    std::array<std::string, kPanelRows> rows;   // 20 characters each
    int highlight = -1;                          // row shown in reverse video
    int cursorRow = -1, cursorCol = -1;          // cursor shown there (0-based)
};

class FrontPanel {
public:
    FrontPanel(Model& model, const Options& o, Output& out) : model_(model), o_(o), out_(out) {}

    void enterMode();
    void leaveMode();
    bool modeOn() const { return mode_; }
    bool displayOn() const { return stage_ == Stage::Display; }
    // One byte of console input.
    void feed(char c, Clock::time_point now);
    // Sends display updates that are due.
    void tick(Clock::time_point now);
    Clock::time_point due() const;

    // What the display shows now (for the escape writer and for tests).
    PanelImage render() const;
    // The escape-sequence line for an image: a full redraw (erase display and
    // every row) or, against the previous image, only the rows that changed.
    static std::string displayLine(const PanelImage& img, const PanelImage* previous);

private:
    enum class Stage { Login, Console, Display };
    enum class Screen { Measure, Menu, Values, Diagnostics, Alarms, Offset, About };

    void consoleLine(const std::string& line, Clock::time_point now);
    void key(char k);
    void redraw(bool full);

    Model& model_;
    const Options& o_;
    Output& out_;
    bool mode_ = false;
    Stage stage_ = Stage::Login;
    Screen screen_ = Screen::Measure;
    int menuSel_ = 0;
    int alarmPage_ = 0;
    std::string entry_;
    std::string message_;
    std::string line_;          // console line being typed
    bool consoleWord_ = false;  // control-W seen: a console command follows
    PanelImage shown_;
    bool haveShown_ = false;
    Clock::time_point nextFull_ = Clock::time_point::max();
    Clock::time_point nextUpdate_ = Clock::time_point::max();
};

}  // namespace ae
