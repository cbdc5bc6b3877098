// zantor-sim: the virtual POS terminal daemon.
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <poll.h>

#include <cstdio>
#include <filesystem>

#include "panel/panel.h"
#include "terminal/event_loop.h"
#include "terminal/options.h"
#include "terminal/pid_file.h"
#include "terminal/terminal.h"

namespace {

int fail(const std::string& message) {
    std::fprintf(stderr, "zantor-sim: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zsim::term;
    std::string error;
    const auto options = parseOptions(argc, argv, error);
    if (!options) {
        fail(error + "\n\n" + usage());
        return 2;
    }
    if (options->help) {
        std::fputs(usage().c_str(), stdout);
        return 0;
    }

    // Signals arrive through the loop, so a stop never interrupts a job
    // halfway through being written.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);
    const int signals = signalfd(-1, &stopSignals, SFD_NONBLOCK | SFD_CLOEXEC);
    if (signals < 0) return fail("signalfd failed");

    std::error_code ec;
    std::filesystem::create_directories(options->stateDir, ec);
    if (ec) return fail("cannot create " + options->stateDir + ": " + ec.message());
    ::chmod(options->stateDir.c_str(), 0700);

    PidFile pidFile;
    if (!pidFile.lock(options->stateDir + "/zantor-sim.pid", error)) return fail(error);

    EventLoop loop;
    {
        Terminal terminal(loop, *options);
        if (!terminal.start(error) || !pidFile.write(error)) return fail(error);
        loop.watch(signals, POLLIN, [&](short) {
            signalfd_siginfo info{};
            while (::read(signals, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
                std::fprintf(stderr, "zantor-sim: signal %u, stopping\n", info.ssi_signo);
            loop.stop();
        });
        // The page in the browser: it goes before the terminal, so no request
        // of its reaches a terminal that is shutting down.
        std::unique_ptr<zsim::panel::Panel> panel;
        if (options->panel) {
            panel = std::make_unique<zsim::panel::Panel>(loop, terminal, *options);
            if (!panel->start(error)) return fail(error);
            std::printf("zantor-sim: panel %s\n", panel->url().c_str());
        }
        const auto state = terminal.state();
        std::printf("zantor-sim: ready, state dir %s, printer tcp port %d, pid %d\n", options->stateDir.c_str(),
                    state["printer"]["tcp_port"].get<int>(), static_cast<int>(::getpid()));
        std::fflush(stdout);
        loop.run();
        if (panel) panel->stop();
        terminal.finish();
    }
    ::close(signals);
    std::fprintf(stderr, "zantor-sim: stopped\n");
    return 0;
}
