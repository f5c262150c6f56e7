#include "shell/StopSignals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace korvex {
namespace {

int g_sockets[2] = {-1, -1};
std::atomic<bool> g_requested{false};
struct sigaction g_previousInt {};
struct sigaction g_previousTerm {};

void OnSignal(int signal)
{
    const int savedErrno = errno;
    g_requested = true;
    const char number = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_sockets[0], &number, 1);
    errno = savedErrno;
}

}  // namespace

TStopSignals::TStopSignals(QObject* parent)
    : QObject(parent)
{
    g_requested = false;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_sockets) != 0)
        throw std::runtime_error("cannot create the socket pair for SIGINT and SIGTERM");
    m_notifier = std::make_unique<QSocketNotifier>(g_sockets[1], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TStopSignals::Received);

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // No restart: a write blocked on a full pipe returns, so a stop is served even then.
    action.sa_flags = 0;
    ::sigaction(SIGINT, &action, &g_previousInt);
    ::sigaction(SIGTERM, &action, &g_previousTerm);
}

bool TStopSignals::Requested()
{
    return g_requested;
}

void TStopSignals::IgnoreBrokenPipe()
{
    std::signal(SIGPIPE, SIG_IGN);
}

TStopSignals::~TStopSignals()
{
    ::sigaction(SIGINT, &g_previousInt, nullptr);
    ::sigaction(SIGTERM, &g_previousTerm, nullptr);
    m_notifier.reset();
    ::close(g_sockets[0]);
    ::close(g_sockets[1]);
    g_sockets[0] = g_sockets[1] = -1;
}

void TStopSignals::Received()
{
    char number = 0;
    int last = 0;
    while (::read(g_sockets[1], &number, 1) == 1)
        last = number;
    Deliver(last);
}

}  // namespace korvex
