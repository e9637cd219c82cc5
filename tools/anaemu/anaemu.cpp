// anaemu: the analyzer emulator. Behaves like a 2F (HC12) or an NS or FS
// (ARM9) gas analyzer on a virtual serial port, a serial device or a TCP
// port, so the service tool can be tested, demonstrated and trained on
// without an instrument. One thread: a poll loop over the line, the signal
// pipe and the timers of streams, display, faults and the control file.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

#include "aeDiagProt.h"
#include "aeFaults.h"
#include "aeFrontPanel.h"
#include "aeLink.h"
#include "aeLog.h"
#include "aeModbus.h"
#include "aeModel.h"
#include "aeOptions.h"
#include "aeOutput.h"
#include "aeSpectra.h"

namespace {

int g_sigPipe[2] = {-1, -1};

void onSignal(int sig)
{
    unsigned char b = static_cast<unsigned char>(sig);
    ssize_t ignored = write(g_sigPipe[1], &b, 1);
    (void)ignored;
}

bool installSignals()
{
    if (pipe2(g_sigPipe, O_NONBLOCK | O_CLOEXEC) != 0) return false;
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    return true;
}

int msUntil(ae::Clock::time_point t, ae::Clock::time_point now)
{
    if (t <= now) return 0;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t - now).count() + 1;
    return static_cast<int>(std::min<long long>(ms, 1000));
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace ae;
    Options o;
    std::string err;
    int rc = optionsParse(argc, argv, o, err);
    if (rc == 1) {
        std::fputs(optionsHelp(), stdout);
        return 0;
    }
    if (rc < 0) {
        std::fprintf(stderr, "anaemu: %s\nTry 'anaemu --help'.\n", err.c_str());
        return 2;
    }
    if (!logOpen(o.logFile)) {
        std::fprintf(stderr, "anaemu: cannot open the log %s: %s\n", o.logFile.c_str(), std::strerror(errno));
        return 1;
    }
    logSetVerbose(o.verbose);
    if (!installSignals()) {
        logf("cannot install the signal handlers: %s", std::strerror(errno));
        return 1;
    }

    Faults faults = o.faults;
    Model model(o);
    Link link(o);
    Output out(link, faults, model);
    Spectra spectra(model);
    ModbusSlave modbus(model);
    FrontPanel panel(model, o, out);
    Session session(model, spectra, modbus, panel, out, link, o, faults);
    if (!modbus.ready()) {
        logf("the Modbus slave could not be set up");
        return 1;
    }
    logf("analyzer %s: \"%s\", application %d, slave %d, faults: %s", model.personality().key,
         model.versionText().c_str(), model.app(), model.slave(), faultsDescribe(faults).c_str());
    // The control file is noted before the line is ready, so a test that
    // writes it once the ready file appears is always seen as a change.
    ControlFile control(o.controlFile);
    if (!o.controlFile.empty()) control.prime();
    if (!link.start(err)) {
        logf("%s", err.c_str());
        std::fprintf(stderr, "anaemu: %s\n", err.c_str());
        return 1;
    }
    const auto t0 = Clock::now();
    auto nextControl = t0;
    int generation = -1;
    bool stop = false;
    std::vector<char> buf(4096);

    while (!stop) {
        auto now = Clock::now();
        if (link.generation() != generation) {
            generation = link.generation();
            out.reset();
            session.reset(now);
        }
        if (!o.controlFile.empty() && now >= nextControl) {
            control.poll(faults);
            nextControl = now + std::chrono::milliseconds(100);
        }
        model.setForcedAlarms(faults.alarmsSet ? faults.alarms : 0);
        model.update(std::chrono::duration<double>(now - t0).count());
        session.tick(now);
        out.flush(now);
        link.tick(now);

        std::vector<pollfd> fds;
        fds.push_back({g_sigPipe[0], POLLIN, 0});
        int dataIdx = -1, listenIdx = -1;
        if (link.dataFd() >= 0) {
            dataIdx = static_cast<int>(fds.size());
            short ev = POLLIN;
            if (out.wantsWrite(now)) ev |= POLLOUT;
            fds.push_back({link.dataFd(), ev, 0});
        }
        if (link.listenFd() >= 0) {
            listenIdx = static_cast<int>(fds.size());
            fds.push_back({link.listenFd(), POLLIN, 0});
        }
        auto due = std::min({session.due(), link.due(), now + std::chrono::seconds(1)});
        if (!out.wantsWrite(now)) due = std::min(due, out.due());
        if (!o.controlFile.empty()) due = std::min(due, nextControl);
        int n = poll(fds.data(), fds.size(), msUntil(due, now));
        if (n < 0 && errno != EINTR) {
            logf("poll: %s", std::strerror(errno));
            break;
        }
        if (fds[0].revents & POLLIN) {
            unsigned char sig = 0;
            while (read(g_sigPipe[0], &sig, 1) == 1) logf("signal %d: stopping", sig);
            stop = true;
        }
        if (listenIdx >= 0 && (fds[listenIdx].revents & POLLIN)) link.accept();
        if (dataIdx >= 0 && (fds[dataIdx].revents & (POLLIN | POLLHUP | POLLERR))) {
            for (int i = 0; i < 16; ++i) {
                long r = link.read(buf.data(), buf.size());
                if (r <= 0) break;
                session.feed(buf.data(), static_cast<std::size_t>(r), Clock::now());
            }
        }
        if (dataIdx >= 0 && (fds[dataIdx].revents & POLLOUT)) out.flush(Clock::now());
    }
    link.stop();
    logf("emulator ended");
    logClose();
    return 0;
}
