// phonesim: a simulated handset on a pseudo-terminal.
//
//   phonesim [--link PATH] [--control-port N] [phone options]
//
// Prints "pty=<slave path> control=<port>" once it is ready, then answers AT
// command lines on the pty and control requests on 127.0.0.1:<port> until "quit",
// SIGTERM or SIGINT.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "options.h"
#include "simulator.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

volatile std::sig_atomic_t g_stopRequested = 0;

void RequestStop(int) { g_stopRequested = 1; }

// SIGTERM and SIGINT stay blocked except while the loop waits, so a stop request
// can never slip in between the flag check and the wait.
void HandleStopSignals(sigset_t& waitMask) {
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGINT);
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    phonesim::ParsedOptions options;
    std::string error;
    if (!phonesim::ParseOptions(words, phonesim::OptionScope::kCommandLine, options, error)) {
        std::fprintf(stderr, "phonesim: %s\n", error.c_str());
        return kExitUsage;
    }
    sigset_t waitMask;
    HandleStopSignals(waitMask);
    phonesim::Simulator simulator(options);
    if (!simulator.Start(error)) {
        std::fprintf(stderr, "phonesim: %s\n", error.c_str());
        return kExitFailure;
    }
    std::printf("pty=%s control=%d\n", simulator.PortPath().c_str(), simulator.ControlPort());
    std::fflush(stdout);
    return simulator.Run(g_stopRequested, waitMask) ? kExitOk : kExitFailure;
}
