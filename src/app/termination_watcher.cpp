#include "app/termination_watcher.h"

#include <QSocketNotifier>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace dropship {

namespace {

int g_pipe[2] = {-1, -1};            // [0] read by the watcher, [1] written by the handler
std::atomic<bool> g_watching{false}; // a watcher is there to read the pipe
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void onTerminationSignal(int signalNumber) {
    if (!g_watching.load()) {
        // Nobody left to save anything: end the way the signal would have without us.
        std::signal(signalNumber, SIG_DFL);
        std::raise(signalNumber);
        return;
    }
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const auto written = ::write(g_pipe[1], &byte, 1);
}

bool openPipe() {
    if (g_pipe[0] >= 0)
        return true;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0)
        return false;
    // A handler must never block, even if nobody reads for a while.
    ::fcntl(g_pipe[1], F_SETFL, ::fcntl(g_pipe[1], F_GETFL) | O_NONBLOCK);
    return true;
}

} // namespace

TerminationWatcher::TerminationWatcher(QObject* parent) : QObject(parent) {
    if (g_watching.load() || !openPipe())
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationWatcher::readSignal);
    g_watching.store(true);
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

TerminationWatcher::~TerminationWatcher() {
    if (m_notifier)
        g_watching.store(false);
}

void TerminationWatcher::readSignal() {
    unsigned char byte = 0;
    if (::read(g_pipe[0], &byte, 1) == 1)
        emit terminationRequested(byte);
}

} // namespace dropship
