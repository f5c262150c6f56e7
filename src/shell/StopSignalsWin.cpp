#include "shell/StopSignals.h"

#include <windows.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <mutex>

namespace korvex {
namespace {

// Console control events arrive on a thread of their own; the one live object is reached under a lock.
std::mutex g_lock;
TStopSignals* g_instance = nullptr;
std::atomic<int> g_pending{0};
std::atomic<bool> g_requested{false};
// Set when the object goes, so a close event may let the program finish before the system ends it. Made
// once and kept, so the event thread never waits on a closed handle.
const HANDLE g_finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    const int signal = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? SIGINT : SIGTERM;
    {
        const std::lock_guard<std::mutex> guard(g_lock);
        if (!g_instance)
            return FALSE;
        g_pending = signal;
        g_requested = true;
        QMetaObject::invokeMethod(g_instance, "Received", Qt::QueuedConnection);
    }
    // After a close, logoff or shutdown event returns, the system ends the process: wait for the run to
    // end first, within the few seconds the system allows.
    if (signal == SIGTERM)
        WaitForSingleObject(g_finished, 4000);
    return TRUE;
}

}  // namespace

TStopSignals::TStopSignals(QObject* parent)
    : QObject(parent)
{
    const std::lock_guard<std::mutex> guard(g_lock);
    g_instance = this;
    g_requested = false;
    ResetEvent(g_finished);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

TStopSignals::~TStopSignals()
{
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    const std::lock_guard<std::mutex> guard(g_lock);
    g_instance = nullptr;
    SetEvent(g_finished);
}

bool TStopSignals::Requested()
{
    return g_requested;
}

void TStopSignals::IgnoreBrokenPipe() {}

void TStopSignals::Received()
{
    Deliver(g_pending.exchange(0));
}

}  // namespace korvex
