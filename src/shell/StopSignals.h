#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>

namespace korvex {

// Turns SIGINT and SIGTERM into a call on the UI thread: the signal handler only writes the signal's
// number into a socket pair, whose reading end a QSocketNotifier watches. The previous handlers come
// back when this object goes. Only one may exist at a time.
class TStopSignals : public QObject {
    Q_OBJECT
public:
    explicit TStopSignals(QObject* parent = nullptr);
    ~TStopSignals() override;

    // Raised on the UI thread with the signal's number.
    std::function<void(int signal)> OnStop;

    // Whether a stop was asked for since the object was made; safe to ask anywhere, also inside a write that
    // the signal cut short.
    static bool Requested();

    // A reader of standard output that goes away then shows as a failed write, which ends a run cleanly,
    // instead of a signal that kills it (Windows has no such signal: the write fails anyway).
    static void IgnoreBrokenPipe();

private:
    // Invokable: on Windows the console event's thread queues it.
    Q_INVOKABLE void Received();
    // Hands a stop to OnStop; Qt called the reading of it, so an error ends here, told on standard error.
    void Deliver(int signal)
    {
        if (signal == 0 || !OnStop)
            return;
        try {
            OnStop(signal);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "korvex-lcr: %s\n", error.what());
        }
    }

    std::unique_ptr<QSocketNotifier> m_notifier;
};

}  // namespace korvex
