// The remote window end to end (offscreen): opened from the main window of the
// shipped configuration, its server started through the TCP dialog on a
// loopback port with an allowed-client list; real client sockets bound to
// 127.0.0.1 (allowed) and 127.0.0.2 (refused; Linux routes all of 127/8 to
// the loopback). Closing the window leaves the port free.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "qksyswincapture.h"
#include "qksyswinstatbar.h"
#include "qkwinfuncsrv.h"
#include "vxRemoteSrv.h"
#include "vxtestapp.h"
#include "vxtestsupport.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

using vxtest::labelText;
using vxtest::pumpUntil;
using vxtest::shown;

// A loopback socket; bound to source when given, listening when asked.
struct Sock {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    ~Sock()
    {
        if (fd >= 0) ::close(fd);
    }
    bool bindTo(const char* address, int port)
    {
        int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);   // a TIME_WAIT is no listener
        timeval limit{5, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        ::inet_pton(AF_INET, address, &a.sin_addr);
        return ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    int port() const
    {
        sockaddr_in a{};
        socklen_t len = sizeof a;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        return ntohs(a.sin_port);
    }
    bool connectTo(int port)
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        ::inet_pton(AF_INET, "127.0.0.1", &a.sin_addr);
        return ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
};

int freePort()
{
    Sock s;
    return s.bindTo("127.0.0.1", 0) ? s.port() : 0;
}

class Remote : public vxtest::ShippedApp {
protected:
    void SetUp() override
    {
        ShippedApp::SetUp();
        if (HasFatalFailure()) return;
        showAsShell();
    }
    void TearDown() override
    {
        vxRemoteStop(app.get());
        ShippedApp::TearDown();
    }
    // Opens the remote window from the main window's control.
    void open()
    {
        ASSERT_EQ(qkwinfuncdispatch(win, QKWIN_PROC_MAIN, VX_REMOTE_WINDOW, 0), 0);
        ASSERT_NE(app->remote.winPtr.load(), nullptr);
        ASSERT_TRUE(pumpUntil([] { return shown<QAbstractButton>(1214) != nullptr; }));
        EXPECT_EQ(std::string(win->sbar.parts[0].text), "SCREEN ID: REMOTE");
    }
    // Starts the server: the allowed list, button 1214, the dialog's address and port.
    void start(const std::string& allowed, int port)
    {
        press(allowed);
        if (!HasFatalFailure()) fill(port);
    }
    void press(const std::string& allowed)
    {
        QLineEdit* edit = shown<QLineEdit>(VX_REMOTE_ALLOWED_EDIT);
        ASSERT_NE(edit, nullptr);
        edit->setText(QString::fromStdString(allowed));
        shown<QAbstractButton>(1214)->click();
        ASSERT_TRUE(pumpUntil([] { return shown<QComboBox>(9566) != nullptr; }));
    }
    void fill(int port)
    {
        shown<QComboBox>(9566)->setEditText("127.0.0.1");
        shown<QComboBox>(9568)->setEditText(QString::number(port));
        shown<QAbstractButton>(9569)->click();
    }
    bool stateIs(const std::string& text, std::chrono::milliseconds timeout = 5s)
    {
        return pumpUntil([&] { return labelText(VX_REMOTE_STATE_STATIC) == text; }, timeout);
    }
    bool logged(const std::string& line, int times)
    {
        return pumpUntil([&] { return vxtest::countLines(log(), line) == times; });
    }

    vxtest::EnvGuard offscreen{"QT_QPA_PLATFORM", "offscreen"};
    vxtest::EnvGuard answer{"VX_MSGBOX_AUTOANSWER", "ok"};
};

TEST_F(Remote, ServesAllowedClientsOnlyAndFreesThePortOnClose)
{
    const int port = freePort();
    ASSERT_GT(port, 0);
    open();
    start("127.0.0.1", port);
    const std::string listening = "Listening on 127.0.0.1:" + std::to_string(port);
    ASSERT_TRUE(stateIs(listening)) << log();
    EXPECT_EQ(labelText(1226), "Server");
    EXPECT_EQ(labelText(1230), "127.0.0.1");
    EXPECT_EQ(labelText(1234), std::to_string(port));

    // Allowed, refused, allowed again: the server keeps listening throughout.
    const struct {
        const char* source;
        const char* line;
        const char* state;
    } clients[] = {
        {"127.0.0.1", "Accepted request from client: 127.0.0.1", "Client 127.0.0.1 connected"},
        {"127.0.0.2", "Rejected request from client: 127.0.0.2", "Refused client 127.0.0.2"},
        {"127.0.0.1", "Accepted request from client: 127.0.0.1", "Client 127.0.0.1 connected"},
    };
    int accepted = 0;
    for (const auto& c : clients) {
        SCOPED_TRACE(c.source);
        const bool allowed = std::string(c.source) == "127.0.0.1";
        Sock client;
        ASSERT_TRUE(client.bindTo(c.source, 0));
        ASSERT_TRUE(client.connectTo(port));
        accepted += allowed ? 1 : 0;
        EXPECT_TRUE(logged(c.line, allowed ? accepted : 1)) << log();
        EXPECT_TRUE(stateIs(c.state)) << labelText(VX_REMOTE_STATE_STATIC);
        if (allowed) {
            ASSERT_EQ(::send(client.fd, "hello", 5, 0), 5);
            EXPECT_TRUE(logged("Remote client 127.0.0.1 sent 5 bytes", accepted)) << log();
        } else {
            char byte;
            EXPECT_EQ(::recv(client.fd, &byte, 1, 0), 0) << "a refused client is closed";
        }
        if (accepted == 1 && allowed) {
            const fs::path png = fs::read_symlink("/proc/self/exe").parent_path() / "vxRemote.png";
            EXPECT_EQ(qksyswinsavescreenshot(app->remote.winPtr.load(), png.c_str()), 0);
        }
        ::close(client.fd);   // the server then waits for the next client
        client.fd = -1;
        if (allowed) {
            EXPECT_TRUE(stateIs(listening)) << labelText(VX_REMOTE_STATE_STATIC);
        }
    }

    // A second press ends the running server before the dialog: its port is free for the new one.
    press("127.0.0.1");
    EXPECT_TRUE(stateIs("Server stopped"));
    fill(port);
    EXPECT_TRUE(logged("Remote access server listening on 127.0.0.1:" + std::to_string(port), 2)) << log();
    EXPECT_TRUE(stateIs(listening));

    shown<QAbstractButton>(1236)->click();
    ASSERT_TRUE(pumpUntil([&] { return app->remote.winPtr.load() == nullptr && shown<QAbstractButton>(1214) == nullptr; }));
    EXPECT_EQ(std::string(win->sbar.parts[0].text), "SCREEN ID: HOME");
    Sock again;
    EXPECT_TRUE(again.bindTo("127.0.0.1", port) && ::listen(again.fd, 1) == 0) << "the port is still taken";
}

TEST_F(Remote, RefusesABadListAndReportsAPortInUse)
{
    Sock busy;
    ASSERT_TRUE(busy.bindTo("127.0.0.1", 0));
    ASSERT_EQ(::listen(busy.fd, 1), 0);
    const int port = busy.port();
    open();

    // An entry that is no address: the box says which, no dialog, nothing listens.
    QLineEdit* edit = shown<QLineEdit>(VX_REMOTE_ALLOWED_EDIT);
    ASSERT_NE(edit, nullptr);
    edit->setText("127.0.0.1, 192.168.300.1");
    shown<QAbstractButton>(1214)->click();
    EXPECT_TRUE(logged("Allowed client \"192.168.300.1\" is not an address", 1)) << log();
    EXPECT_EQ(shown<QComboBox>(9566), nullptr);
    EXPECT_EQ(labelText(VX_REMOTE_STATE_STATIC), "Not started");

    start("", port);
    EXPECT_TRUE(stateIs("Cannot listen on port " + std::to_string(port) + ": Address already in use")) << log();
}

}  // namespace
