// Test support for the main program: the shipped configuration read as vxMain reads it.
#include "vxtestapp.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>

#include <filesystem>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qkcommasyn.h"
#include "qksyswinlist.h"
#include "qksyswinpage.h"
#include "vxAnaVersionSrv.h"
#include "vxAnalyzerSrv.h"
#include "vxAsynSrv.h"
#include "vxCfgSrv.h"
#include "qksyswinsrv.h"
#include "vxInit.h"
#include "vxWinSrv.h"

namespace fs = std::filesystem;

namespace vxtest {

void ShippedApp::SetUp()
{
    for (const char* dir : {"cfg", "usercfg"})
        fs::copy(fs::path(VX_SOURCE_DIR) / dir, tree.path(dir), fs::copy_options::recursive);
    fs::create_directories(tree.path("logs"));
    fs::create_directories(tree.work());
    cwd = std::make_unique<CwdGuard>(tree.work());   // "../cfg", and COM97 is ../dev/ttyV0

    vxInitialize(app.get());
    qkstrset(app->cfg.path, "../cfg/vxMain.xml");
    qkstrset(app->log.path, "./vxdefault.log");
    ASSERT_EQ(vxGetResources(app.get()), 0);
    ASSERT_EQ(vxCfgRead(app.get()), 0);
    win = app->winPtr;
    ASSERT_NE(win, nullptr);
}

void ShippedApp::TearDown()
{
    // The link goes before the emulator, the emulator before the tree.
    vxAsynClose(app.get());
    emu.reset();
    vxFreeResources(app.get());
    qksysMemFree(app->mpData.mode1.idPtr);
    qklogcls();
    cwd.reset();
}

void ShippedApp::startEmulator(const std::vector<std::string>& extra)
{
    const std::string ready = tree.path("work/ready.txt");
    fs::remove(ready);
    std::vector<std::string> argv = {program("anaemu"), "--pty", "0", "--dev-dir", tree.path("dev"), "--log", emuLog,
                                     "--control", emuControl, "--ready-file", ready};
    argv.insert(argv.end(), extra.begin(), extra.end());
    emu = std::make_unique<Process>(argv, tree.work());
    ASSERT_TRUE(waitFor([&] { return readFile(ready).find('\n') != std::string::npos; })) << "emulator not ready";
}

void ShippedApp::connectEmulator()
{
    qkcommAsynInfo& asyn = app->anaCom.asyn;
    qkcommAsynSetDevName("\\\\.\\COM");
    asyn.fd = qkcommAsynOpen(97, 9600, 0, 8, 1);
    ASSERT_GT(asyn.fd, 0);
    asyn.port = 97;
    asyn.baud = 9600;
    asyn.state = 50;
    app->anaCom.connectType = 1;
    app->diagProt.modbusAddr = 1;
    app->anaDetails.version.appType = 2;   // not known yet
    ASSERT_EQ(vxAnalyzerGetID(app.get()), 2) << log();
    vxSetAnalyzerID(app.get());
    vxParseAnalyzerID(app.get());
    ASSERT_EQ(vxLoadDataCfgFiles(app.get()), 0) << log();
    app->state = 20;
    qkstdpagedsetstate(win, 1);
}

void ShippedApp::emulatorFaults(const std::string& text)
{
    const int before = countLines(readFile(emuLog), "faults now");
    // Written whole, then renamed: the emulator sees one change.
    const std::string next = tree.write("work/faults.new", text + "\n");
    fs::rename(next, emuControl);
    ASSERT_TRUE(waitFor([&] { return countLines(readFile(emuLog), "faults now") > before; }));
}

void ShippedApp::showAsShell()
{
    for (auto step : {vxSetPaths, vxSetDefaults, vxDefineCallbacks, vxBuildPageFunctions})
        ASSERT_EQ(step(app.get()), 0);
    ASSERT_EQ(qksyswinsetclass(win), 0);
    ASSERT_EQ(qksyswindsp(win), 0);
}

std::string ShippedApp::log() const
{
    std::fflush(qkloggetfd());
    return readFile(tree.path("logs/vxMain.log"));
}

bool pumpUntil(const std::function<bool()>& cond, std::chrono::milliseconds timeout)
{
    return waitFor(
        [&] {
            QApplication::processEvents();
            return cond();
        },
        timeout);
}

std::string labelText(int id)
{
    QLabel* label = shown<QLabel>(id);
    return label != nullptr ? label->text().toStdString() : std::string();
}

void press(int id)
{
    if (QAbstractButton* button = shown<QAbstractButton>(id)) {
        button->click();
        return;
    }
    // A static with a callback is pressed with the space bar, as a user can.
    QWidget* pressable = shown<QWidget>(id);
    ASSERT_TRUE(pressable != nullptr && pressable->property("qkwinpress").toBool()) << "button " << id;
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QApplication::sendEvent(pressable, &space);
}

void choose(int id, const std::string& text)
{
    QComboBox* combo = shown<QComboBox>(id);
    ASSERT_NE(combo, nullptr) << "combo " << id;
    const QString value = QString::fromStdString(text);
    if (combo->isEditable()) {
        combo->setEditText(value);
    } else {
        combo->setCurrentIndex(combo->findText(value));
    }
}

std::vector<std::string> listLines(qkwinInfo* w, int id)
{
    std::vector<std::string> out;
    for (int i = 0, n = qkwinlistgetcount(w, id); i < n; ++i) {
        char text[1024] = "";
        qkwinlistgetitem(w, id, i, sizeof text, text);
        out.emplace_back(text);
    }
    return out;
}

bool imageShowsSomething(const std::string& path)
{
    const QImage shot(QString::fromStdString(path));
    if (shot.isNull()) return false;
    const QRgb first = shot.pixel(0, 0);
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (shot.pixel(x, y) != first) return true;
    return false;
}

std::vector<std::string> frontPanelRows()
{
    std::vector<std::string> rows;
    for (int r = 1; r <= 4; ++r) {
        std::string row;
        for (int c = 1; c <= 20; ++c) {
            const std::string cell = labelText(16000 + 100 * r + c);
            row += cell.empty() ? ' ' : cell[0];
        }
        rows.push_back(row);
    }
    return rows;
}

}  // namespace vxtest
