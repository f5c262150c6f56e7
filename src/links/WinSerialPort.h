#pragma once

#include <memory>

#include <QIODevice>
#include <QString>

class QWinEventNotifier;

namespace korvex {

// A serial port over the Win32 communications API, with the part of QSerialPort's interface the serial
// link uses (the same names and values), for Windows builds without Qt SerialPort. Reading runs on the
// owner's event loop: a pending wait for received characters signals an event that a QWinEventNotifier
// watches; each signal moves what the driver holds into the read buffer and raises readyRead.
class WinSerialPort : public QIODevice {
    Q_OBJECT

public:
    enum DataBits { Data5 = 5, Data6 = 6, Data7 = 7, Data8 = 8 };
    enum Parity { NoParity = 0, EvenParity = 2, OddParity = 3, SpaceParity = 4, MarkParity = 5 };
    enum StopBits { OneStop = 1, OneAndHalfStop = 3, TwoStop = 2 };
    enum FlowControl { NoFlowControl, HardwareControl, SoftwareControl };
    enum Direction { Input = 1, Output = 2, AllDirections = Input | Output };
    Q_DECLARE_FLAGS(Directions, Direction)
    enum SerialPortError {
        NoError,
        DeviceNotFoundError,
        PermissionError,
        OpenError,
        WriteError = 7,
        ReadError,
        ResourceError,
        UnsupportedOperationError,
        UnknownError,
        TimeoutError,
        NotOpenError,
    };
    Q_ENUM(SerialPortError)

    explicit WinSerialPort(QObject* parent = nullptr);
    ~WinSerialPort() override;

    // "COM3", or a full device name such as "\\.\COM12".
    void setPortName(const QString& name);
    QString portName() const { return portName_; }

    bool open(OpenMode mode) override;
    void close() override;
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

    bool setBaudRate(qint32 baudRate);
    bool setDataBits(DataBits dataBits);
    bool setParity(Parity parity);
    bool setStopBits(StopBits stopBits);
    bool setFlowControl(FlowControl flowControl);
    bool setDataTerminalReady(bool set);
    bool setRequestToSend(bool set);
    // Discards what waits in the driver's queues and in the read buffer.
    bool clear(Directions directions = AllDirections);
    void setReadBufferSize(qint64 size) { readBufferSize_ = size; }

    SerialPortError error() const { return error_; }
    // The Win32 handle, as a number.
    qintptr handle() const { return reinterpret_cast<qintptr>(handle_); }

signals:
    void errorOccurred(WinSerialPort::SerialPortError error);

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    struct Overlapped;

    // Writes the line settings into the open port.
    bool applySettings();
    bool startWaiting();
    void received();
    void fail(SerialPortError error, unsigned long systemError);

    QString portName_;
    qint32 baudRate_ = 9600;
    DataBits dataBits_ = Data8;
    Parity parity_ = NoParity;
    StopBits stopBits_ = OneStop;
    FlowControl flowControl_ = NoFlowControl;
    bool dataTerminalReady_ = false;
    bool requestToSend_ = false;

    void* handle_ = nullptr;
    qint64 readBufferSize_ = 0;
    QByteArray buffer_;
    SerialPortError error_ = NoError;
    std::unique_ptr<Overlapped> wait_;
    QWinEventNotifier* notifier_ = nullptr;
};

} // namespace korvex

Q_DECLARE_OPERATORS_FOR_FLAGS(korvex::WinSerialPort::Directions)
