#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>

#include <QObject>
#include "links/SerialPort.h"
#include <QString>
#include <QTimer>

#include "links/CommSettings.h"

namespace korvex {

// Buffer is valid only until the handler returns; BufferLen may be 0.
using TReceiveDataEvent = std::function<void(const void* Buffer, std::uint32_t BufferLen)>;

// The serial link: opens the port named by CommPort, applies the line settings and hands the bytes it
// receives to its owner. It only receives. Everything runs on the UI thread: the port's own read
// notification is the reader, and bytes that arrive close together are handed over together once the
// line has been quiet for ReadInterval. Hand-overs come one at a time and in order: while a handler runs
// (also one that serves events, such as a modal dialog) no further hand-over starts. A device that goes
// away while open (the far end hung up, the adapter was pulled) is let go at once: what had arrived is
// handed over, the link closes (OnClosed) and tells so (OnLineLost), and Open may try again.
class TCComm : public QObject {
    Q_OBJECT

public:
    using TNotifyEvent = std::function<void(QObject* Sender)>;
    // Where an error escaping OnReceiveData goes, since no caller of the link is there to take it.
    using TErrorReport = std::function<void(const std::exception& error)>;

    // Bytes held at most before they are handed over, even while the line never goes quiet.
    static constexpr qint64 InputQueueSize = 5120;
    static constexpr std::chrono::milliseconds DefaultReadInterval{100};

    explicit TCComm(QObject* owner = nullptr);
    // Closes a port still open, raising nothing.
    ~TCComm() override;
    TCComm(const TCComm&) = delete;
    TCComm& operator=(const TCComm&) = delete;

    // Opens CommPort, applies the line settings, discards what is waiting in its queues, starts reading
    // and raises OnOpened. Throws std::runtime_error "<CommPort> has been opened!" while open, and
    // "Failed to open <CommPort>! <the port's reason>" when the port cannot be opened, with the fix for a
    // refused permission; the link then stays closed.
    void Open();
    // When a port is open: stops reading, closes it, raises OnClosed. Otherwise does nothing.
    void Close();

    bool Connected() const { return connected_; }

    QString CommPort() const { return commPort_; }
    // Takes effect at the next Open; a port already open stays open.
    void setCommPort(const QString& value);

    // Each setter applies the line settings to an open port at once when the value changes.
    comm::TBaudrate BaudRate() const { return baudRate_; }
    void setBaudRate(comm::TBaudrate value);
    comm::TByteSize ByteSize() const { return byteSize_; }
    void setByteSize(comm::TByteSize value);
    comm::TStopBits StopBits() const { return stopBits_; }
    void setStopBits(comm::TStopBits value);
    comm::TParity Parity() const { return parity_; }
    void setParity(comm::TParity value);

    // How long the line must stay quiet before the bytes received so far are handed over.
    std::chrono::milliseconds ReadInterval() const { return readInterval_; }
    void setReadInterval(std::chrono::milliseconds interval);

    TNotifyEvent OnOpened;
    TNotifyEvent OnClosed;
    // After OnClosed, when the link closed because its device went away.
    TNotifyEvent OnLineLost;
    TReceiveDataEvent OnReceiveData;
    // Without one, such an error is written to the log.
    TErrorReport ErrorReport;

private:
    void applyLineSettings();
    void bytesArrived();
    void handOver();
    void portError(SerialPort::SerialPortError error);
    // Whether the device behind the open port went away (the far end hung up, the adapter was pulled).
    bool lineGone();
    QString OpenFailureReason() const;
    void report(std::exception_ptr error);
    void raise(const TNotifyEvent& event);

    QString commPort_ = QStringLiteral("COM1");
    comm::TBaudrate baudRate_ = comm::TBaudrate::CBR_9600;
    comm::TByteSize byteSize_ = comm::TByteSize::_8;
    comm::TStopBits stopBits_ = comm::TStopBits::_1;
    comm::TParity parity_ = comm::TParity::Non;
    std::chrono::milliseconds readInterval_ = DefaultReadInterval;

    SerialPort port_;
    // Runs from the latest arrival of bytes; its timeout hands over what has arrived.
    QTimer quietLine_;
    bool connected_ = false;
    // The delivery gate, closed while a handler runs.
    bool delivering_ = false;
    // A release of a device that went away waits in the event queue.
    bool releaseQueued_ = false;
    // Counts the opens, so a late release knows the port it was meant for.
    std::uint64_t session_ = 0;
};

} // namespace korvex
