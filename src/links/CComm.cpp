#include "links/CComm.h"

#include <QAbstractEventDispatcher>
#include <QPointer>
#include <QSysInfo>
#include <QtGlobal>
#include <stdexcept>

namespace korvex {

TCComm::TCComm(QObject* owner)
    : QObject(owner)
{
    quietLine_.setSingleShot(true);
    quietLine_.setTimerType(Qt::PreciseTimer);
    connect(&quietLine_, &QTimer::timeout, this, &TCComm::handOver);
    connect(&port_, &SerialPort::readyRead, this, &TCComm::bytesArrived);
    connect(&port_, &SerialPort::errorOccurred, this, &TCComm::portError);
}

TCComm::~TCComm()
{
    // Closing may report an error: nothing of this object may be called once its destruction began.
    port_.disconnect(this);
    quietLine_.stop();
    if (port_.isOpen())
        port_.close();
}

void TCComm::setCommPort(const QString& value)
{
    commPort_ = value;
}

void TCComm::setBaudRate(comm::TBaudrate value)
{
    if (value == baudRate_)
        return;
    baudRate_ = value;
    if (port_.isOpen())
        applyLineSettings();
}

void TCComm::setByteSize(comm::TByteSize value)
{
    if (value == byteSize_)
        return;
    byteSize_ = value;
    if (port_.isOpen())
        applyLineSettings();
}

void TCComm::setStopBits(comm::TStopBits value)
{
    if (value == stopBits_)
        return;
    stopBits_ = value;
    if (port_.isOpen())
        applyLineSettings();
}

void TCComm::setParity(comm::TParity value)
{
    if (value == parity_)
        return;
    parity_ = value;
    if (port_.isOpen())
        applyLineSettings();
}

void TCComm::setReadInterval(std::chrono::milliseconds interval)
{
    readInterval_ = interval;
}

void TCComm::Open()
{
    if (connected_)
        throw std::runtime_error((commPort_ + QStringLiteral(" has been opened!")).toStdString());
    // The port's read notification is the reader: without an event loop on this thread nothing would
    // ever be read, so the port is not even opened.
    if (!QAbstractEventDispatcher::instance(thread()))
        throw std::runtime_error((QStringLiteral("Failed to start reading ") + commPort_ + QLatin1Char('!')).toStdString());

    port_.setPortName(comm::portDeviceName(commPort_));
    if (!port_.open(QIODevice::ReadWrite))
        throw std::runtime_error((QStringLiteral("Failed to open ") + commPort_ + QStringLiteral("! ") + OpenFailureReason())
                                     .toStdString());
    port_.setReadBufferSize(InputQueueSize);
    applyLineSettings();
    // Whatever waited in the queues came before this open.
    port_.clear(SerialPort::AllDirections);
    ++session_;
    connected_ = true;
    raise(OnOpened);
}

void TCComm::Close()
{
    if (!connected_)
        return;
    quietLine_.stop();
    if (port_.isOpen())
        port_.close();
    connected_ = false;
    raise(OnClosed);
}

void TCComm::applyLineSettings()
{
    // A setting the port refuses is not reported: the port keeps what it had.
    const comm::LineSettings settings = comm::lineSettings(baudRate_, byteSize_, parity_, stopBits_);
    port_.setBaudRate(settings.baudRate);
    port_.setDataBits(settings.dataBits);
    port_.setParity(settings.parity);
    port_.setStopBits(settings.stopBits);
    port_.setFlowControl(SerialPort::NoFlowControl);
    port_.setDataTerminalReady(true);
    port_.setRequestToSend(false);
}

void TCComm::bytesArrived()
{
    if (!connected_)
        return;
    // Hand-overs start only from the timer, never inside the port's own notification, so a handler may
    // close the port.
    if (port_.bytesAvailable() >= InputQueueSize)
        quietLine_.start(0);
    else
        quietLine_.start(readInterval_);
}

void TCComm::handOver()
{
    // A handler still running (it may serve events) gets no second hand-over on top of it; its end looks
    // again.
    if (!connected_ || !port_.isOpen() || delivering_)
        return;
    const QPointer<TCComm> alive(this);
    const TReceiveDataEvent handler = OnReceiveData;
    const TErrorReport reportTo = ErrorReport;
    delivering_ = true;
    const QByteArray bytes = port_.readAll();
    std::exception_ptr error;
    try {
        if (handler)
            handler(bytes.constData(), static_cast<std::uint32_t>(bytes.size()));
    } catch (...) {
        error = std::current_exception();
    }
    if (alive) {
        delivering_ = false;
        if (connected_ && port_.isOpen() && port_.bytesAvailable() > 0 && !quietLine_.isActive())
            quietLine_.start(readInterval_);
    }
    if (!error)
        return;
    // Qt called this hand-over: the error stops here.
    const auto reportError = [&reportTo](const std::exception& e) {
        if (reportTo)
            reportTo(e);
        else
            qWarning("%s", e.what());
    };
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        reportError(e);
    } catch (...) {
        reportError(std::runtime_error("Unknown error"));
    }
}

void TCComm::portError(SerialPort::SerialPortError error)
{
    // Any other error is a setting or request the port does not support, and changes nothing.
    if (error != SerialPort::ReadError && error != SerialPort::ResourceError)
        return;
    if (!port_.isOpen() || !lineGone() || releaseQueued_)
        return;
    // The far end hung up or the adapter was pulled: the port would report readable forever. Hand over
    // what had arrived, then let the device go; the link stays Connected until Close. Queued, because the
    // port is in the middle of its own notification.
    releaseQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this, session = session_] {
            releaseQueued_ = false;
            // The port may have been closed, even opened anew, since.
            if (!connected_ || !port_.isOpen() || session != session_)
                return;
            quietLine_.stop();
            if (port_.bytesAvailable() > 0) {
                const QPointer<TCComm> alive(this);
                handOver();
                if (!alive || session != session_)
                    return;
            }
            quietLine_.stop();
            // The link is closed: the user is told, and Open may take the port (or its replacement) again.
            Close();
            raise(OnLineLost);
        },
        Qt::QueuedConnection);
}

QString TCComm::OpenFailureReason() const
{
    QString reason = port_.errorString();
    if (port_.error() != SerialPort::PermissionError)
        return reason;
    // Windows refuses a port another program holds; Linux gives serial ports to the group dialout.
    if (QSysInfo::productType() == QLatin1String("windows"))
        return reason + QStringLiteral(": another program may have the port open.");
    return reason + QStringLiteral(": serial ports belong to the group dialout. Add this user to it "
                                   "(sudo usermod -aG dialout $USER), then log in again.");
}

bool TCComm::lineGone()
{
    return LineHungUp(port_);
}

void TCComm::raise(const TNotifyEvent& event)
{
    const TNotifyEvent handler = event;
    if (handler)
        handler(this);
}

} // namespace korvex
