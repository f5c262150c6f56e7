#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "meter/MeterDecoder.h"
#include "meter/MeterState.h"
#include "meter/MeterView.h"
#include "records/CsvLog.h"
#include "records/CsvWriter.h"
#include "records/IntervalTimer.h"
#include "records/TableEngine.h"

namespace korvex {

class TCP2110;

// How a logging run ends, as the process's exit code.
enum class LoggerExit : std::uint8_t {
    Interrupted = 0,   // SIGINT or SIGTERM, or the reader of standard output went away: the log is complete
    Failed = 1,        // the log file or the bridge library could not be used
    Usage = 2,         // the command line asked for something the logger cannot do
    NoBridge = 3,      // no bridge to connect to, or the open bridge was pulled out
    LinkSilent = 4,    // the meter sent nothing for the watchdog's period
};

// The window's data path without the window: the bridge link connects to the first bridge as the window
// would, its bytes go through the same decoder and record gate (this class is the decoder's view), and
// each recorded reading becomes one line of the CSV log instead of a row of the grid. Without an
// interval a reading is recorded when its main text changes (Repeat not ticked); with one, the first
// reading after each period is recorded, as the window's sampling interval does with Repeat ticked.
class THeadlessLogger : public QObject, public IMeterView {
    Q_OBJECT
public:
    // The watchdog's period, as the window's.
    static constexpr int WatchdogMs = 10000;

    THeadlessLogger(TCsvLog& log, const QString& libraryPath, std::optional<std::int64_t> everySeconds,
                    QObject* parent = nullptr);
    ~THeadlessLogger() override;

    // Connects to the first bridge. False when there is none to connect to (Finished has been raised then).
    bool Start();
    // Ends the run cleanly: disconnects, closes the log and raises Finished(Interrupted).
    void Stop();

    // Raised once, when the run has ended, with the exit code and a message for standard error (empty
    // when there is nothing to tell).
    std::function<void(LoggerExit code, const QString& message)> Finished;

    TCP2110& CP21101() { return *m_CP21101; }
    QTimer* timerDisconectedUSB() { return &m_timerDisconectedUSB; }
    QTimer* timerInterval() { return &m_timerInterval; }
    TMeterState& MeterState() { return m_state; }
    std::int32_t LinesWritten() const { return m_lines; }

    // IMeterView: the panel and chart have no window here; the gate and the row are the log's.
    void UpdatePanel(PanelUpdate update, const TMeterState& state) override;
    int ChartAddValue(double value) override;
    void ChartSetVerticalMin(double value) override;
    void ChartSetVerticalMax(double value) override;
    void SetCurrentPageText(const std::string& text) override;
    bool RepeatTicked() const override;
    bool IntervalTimerEnabled() const override;
    void AppendRecord(const TMeterState& state) override;
    void ToggleConnectionPicture() override;
    void RestartWatchdog() override;

private:
    void RefreshDeviceName();
    void CP21101Connect();
    void CP21101Disconnect();
    void CP21101Removal();
    void timerDisconectedUSBTimer();
    void Finish(LoggerExit code, const QString& message);

    // Wraps a handler that Qt or the link calls: an error it throws ends the run with LoggerExit::Failed
    // and its text right there, instead of unwinding through Qt's frames.
    template <typename Handler>
    auto Guarded(Handler handler);

    TCsvLog& m_log;
    std::optional<std::int64_t> m_everySeconds;
    TMeterState m_state;
    TMeterDecoder m_decoder;
    TTable m_row;  // the one reading being written
    TCsvWriter m_writer;
    QTimer m_timerDisconectedUSB;
    QTimer m_timerInterval;
    TIntervalTimer m_interval;
    std::unique_ptr<TCP2110> m_CP21101;
    std::int32_t m_lines = 0;
    bool m_finished = false;
};

}  // namespace korvex
