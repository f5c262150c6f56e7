#include "shell/HeadlessLogger.h"

#include <QDateTime>
#include <algorithm>
#include <concepts>
#include <exception>
#include <utility>

#include "links/uCP2110.h"
#include "meter/ReadingFormat.h"
#include "meter/UnitTexts.h"
#include "records/RecordTable.h"
#include "shell/ConnectionMessages.h"

namespace korvex {
template <typename Handler>
auto THeadlessLogger::Guarded(Handler handler)
{
    return [this, handler = std::move(handler)]<typename... Args>(Args&&... args)
               requires std::invocable<const Handler&, Args...>
    {
        try {
            handler(std::forward<Args>(args)...);
        } catch (const std::exception& error) {
            Finish(LoggerExit::Failed, QString::fromLocal8Bit(error.what()));
        } catch (...) {
            Finish(LoggerExit::Failed, QStringLiteral("Unknown error"));
        }
    };
}

THeadlessLogger::THeadlessLogger(TCsvLog& log, const QString& libraryPath, std::optional<std::int64_t> everySeconds,
                                 QObject* parent)
    : QObject(parent)
    , m_log(log)
    , m_everySeconds(everySeconds)
    , m_decoder(m_state, *this)
    , m_row(CreateRecordTable())
    , m_writer(m_row, ReadDecimalSeparator())
    , m_interval(m_timerInterval)
{
    m_state.UnitTexts = DefaultUnitTexts();
    m_state.DecimalSep = ReadDecimalSeparator();

    m_timerDisconectedUSB.setObjectName(QStringLiteral("timerDisconectedUSB"));
    m_timerDisconectedUSB.setInterval(WatchdogMs);
    connect(&m_timerDisconectedUSB, &QTimer::timeout, this, Guarded([this] { timerDisconectedUSBTimer(); }));
    m_timerInterval.setObjectName(QStringLiteral("timerInterval"));
    if (m_everySeconds)
        m_interval.SetPeriod(static_cast<std::uint64_t>(*m_everySeconds) * 1000U);
    m_interval.OnExpired = [this] { m_state.IntervalTick = true; };

    m_CP21101 = std::make_unique<TCP2110>(this, libraryPath);
    m_CP21101->setObjectName(QStringLiteral("CP21101"));
    m_CP21101->OnConnect = Guarded([this](QObject*) { CP21101Connect(); });
    m_CP21101->OnDisconnect = Guarded([this](QObject*) { CP21101Disconnect(); });
    m_CP21101->OnReceiveData =
        Guarded([this](const char* data, std::uint32_t len) { m_decoder.CP21101ReceiveData(data, len); });
    m_CP21101->OnRemoval = Guarded([this](QObject*) { CP21101Removal(); });
    m_CP21101->OnDeviceChange = Guarded([this](QObject*) { RefreshDeviceName(); });
}

THeadlessLogger::~THeadlessLogger()
{
    m_CP21101->Disconnect();
    m_CP21101.reset();
}

bool THeadlessLogger::Start()
{
    if (!m_CP21101->LibraryBound()) {
        Finish(LoggerExit::Failed, QStringLiteral("the bridge library beside the program could not be used"));
        return false;
    }
    RefreshDeviceName();
    // A bridge that refuses this user, or that another program holds, gets the message that names the fix.
    std::uint32_t failure = TCP2110::ConnectFailed;
    QString node;
    m_CP21101->OnError = [&failure, &node](std::uint32_t code, const QString& text) {
        failure = code;
        node = text;
    };
    const bool connected = m_CP21101->Connect();
    m_CP21101->OnError = nullptr;
    if (!connected) {
        Finish(LoggerExit::NoBridge, ConnectFailureMessage(failure, node));
        return false;
    }
    return true;
}

void THeadlessLogger::Stop()
{
    m_CP21101->Disconnect();
    Finish(LoggerExit::Interrupted, QString());
}

void THeadlessLogger::RefreshDeviceName()
{
    // The bridge whose serial text sorts first, as the window's device list chooses it.
    QStringList names;
    for (const QString& entry : m_CP21101->DeviceList())
        names << entry.section(QLatin1Char('='), 0, 0);
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) < 0; });
    m_CP21101->setDeviceName(names.isEmpty() ? QString() : names.first());
}

void THeadlessLogger::CP21101Connect()
{
    m_timerDisconectedUSB.start();
    m_interval.SetEnabled(m_everySeconds.has_value());
    m_state.IntervalTick = false;
}

void THeadlessLogger::CP21101Disconnect()
{
    m_timerDisconectedUSB.stop();
    m_interval.SetEnabled(false);
}

void THeadlessLogger::CP21101Removal()
{
    m_timerDisconectedUSB.stop();
    Finish(LoggerExit::NoBridge, QString::fromLatin1(NoDeviceMessage));
}

void THeadlessLogger::timerDisconectedUSBTimer()
{
    m_CP21101->Disconnect();
    m_timerDisconectedUSB.stop();
    Finish(LoggerExit::LinkSilent, QString::fromLatin1(CableMessage));
}

void THeadlessLogger::Finish(LoggerExit code, const QString& message)
{
    if (m_finished)
        return;
    m_finished = true;
    m_log.Close();
    if (Finished)
        Finished(code, message);
}

void THeadlessLogger::UpdatePanel(PanelUpdate, const TMeterState&) {}

int THeadlessLogger::ChartAddValue(double)
{
    return 1;
}

void THeadlessLogger::ChartSetVerticalMin(double) {}
void THeadlessLogger::ChartSetVerticalMax(double) {}
void THeadlessLogger::SetCurrentPageText(const std::string&) {}

bool THeadlessLogger::RepeatTicked() const
{
    return m_everySeconds.has_value();
}

bool THeadlessLogger::IntervalTimerEnabled() const
{
    return m_interval.Enabled();
}

void THeadlessLogger::AppendRecord(const TMeterState& state)
{
    if (m_finished)
        return;
    // Only the reading at hand is kept, so a log of days holds no more memory than one of minutes.
    const QDateTime now = QDateTime::currentDateTime();
    m_row.EmptyTable();
    AppendRecordAt(m_row, state, now, SystemTimeSeparator());
    const auto number = static_cast<std::int32_t>(m_log.LastRecordNumber() + m_lines + 1);
    if (m_log.WriteLine(m_writer.RowLine(0, now, number))) {
        ++m_lines;
        return;
    }
    m_CP21101->Disconnect();
    if (m_log.BrokenPipe() || m_log.Interrupted())
        Finish(LoggerExit::Interrupted, QString());
    else
        Finish(LoggerExit::Failed, m_log.Error());
}

void THeadlessLogger::ToggleConnectionPicture() {}

void THeadlessLogger::RestartWatchdog()
{
    m_timerDisconectedUSB.stop();
    m_timerDisconectedUSB.start();
}

}  // namespace korvex
