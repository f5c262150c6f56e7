#include "links/WinSerialPort.h"

#include <windows.h>

#include <QWinEventNotifier>
#include <cstring>

namespace korvex {

struct WinSerialPort::Overlapped {
    OVERLAPPED overlapped = {};
    DWORD mask = 0;
    Overlapped() { overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr); }
    ~Overlapped() { CloseHandle(overlapped.hEvent); }
};

namespace {

QString systemErrorText(DWORD error)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString message = length ? QString::fromWCharArray(text, static_cast<qsizetype>(length)).trimmed()
                             : QStringLiteral("error %1").arg(error);
    LocalFree(text);
    return message;
}

// Completes one overlapped transfer on handle, waiting for it when the driver queued it.
bool transfer(HANDLE handle, BOOL started, OVERLAPPED& overlapped, DWORD& done)
{
    if (!started && GetLastError() != ERROR_IO_PENDING)
        return false;
    return GetOverlappedResult(handle, &overlapped, &done, TRUE) != 0;
}

}  // namespace

WinSerialPort::WinSerialPort(QObject* parent)
    : QIODevice(parent)
{
}

WinSerialPort::~WinSerialPort()
{
    if (isOpen())
        close();
}

void WinSerialPort::setPortName(const QString& name)
{
    portName_ = name;
}

bool WinSerialPort::open(OpenMode mode)
{
    if (isOpen())
        return false;
    // "\\.\" reaches every port, also those above COM9.
    const QString device = portName_.startsWith(QLatin1String("\\\\.\\")) ? portName_
                                                                          : QStringLiteral("\\\\.\\") + portName_;
    HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t*>(device.utf16()), GENERIC_READ | GENERIC_WRITE, 0,
                                nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        fail(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? DeviceNotFoundError
             : error == ERROR_ACCESS_DENIED                                ? PermissionError
                                                                           : OpenError,
             error);
        return false;
    }
    handle_ = handle;
    // Reads return at once with what the driver holds; waiting is the comm event's job.
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    if (!SetCommTimeouts(handle, &timeouts) || !SetCommMask(handle, EV_RXCHAR | EV_ERR) || !applySettings()) {
        const DWORD error = GetLastError();
        CloseHandle(handle);
        handle_ = nullptr;
        fail(OpenError, error);
        return false;
    }
    QIODevice::open(mode | QIODevice::Unbuffered);
    wait_ = std::make_unique<Overlapped>();
    notifier_ = new QWinEventNotifier(wait_->overlapped.hEvent, this);
    connect(notifier_, &QWinEventNotifier::activated, this, &WinSerialPort::received);
    error_ = NoError;
    return startWaiting();
}

void WinSerialPort::close()
{
    if (handle_) {
        // The pending wait ends with the handle's cancelled I/O; its event must not fire into a new open.
        CancelIo(handle_);
        DWORD ignored = 0;
        GetOverlappedResult(handle_, &wait_->overlapped, &ignored, TRUE);
        delete notifier_;
        notifier_ = nullptr;
        wait_.reset();
        CloseHandle(handle_);
        handle_ = nullptr;
    }
    buffer_.clear();
    QIODevice::close();
}

qint64 WinSerialPort::bytesAvailable() const
{
    return buffer_.size() + QIODevice::bytesAvailable();
}

bool WinSerialPort::setBaudRate(qint32 baudRate)
{
    baudRate_ = baudRate;
    return !handle_ || applySettings();
}

bool WinSerialPort::setDataBits(DataBits dataBits)
{
    dataBits_ = dataBits;
    return !handle_ || applySettings();
}

bool WinSerialPort::setParity(Parity parity)
{
    parity_ = parity;
    return !handle_ || applySettings();
}

bool WinSerialPort::setStopBits(StopBits stopBits)
{
    stopBits_ = stopBits;
    return !handle_ || applySettings();
}

bool WinSerialPort::setFlowControl(FlowControl flowControl)
{
    flowControl_ = flowControl;
    return !handle_ || applySettings();
}

bool WinSerialPort::setDataTerminalReady(bool set)
{
    dataTerminalReady_ = set;
    return !handle_ || EscapeCommFunction(handle_, set ? SETDTR : CLRDTR);
}

bool WinSerialPort::setRequestToSend(bool set)
{
    requestToSend_ = set;
    return !handle_ || EscapeCommFunction(handle_, set ? SETRTS : CLRRTS);
}

bool WinSerialPort::applySettings()
{
    DCB dcb = {};
    dcb.DCBlength = sizeof(dcb);
    if (!GetCommState(handle_, &dcb))
        return false;
    dcb.fBinary = TRUE;
    dcb.BaudRate = static_cast<DWORD>(baudRate_);
    dcb.ByteSize = static_cast<BYTE>(dataBits_);
    dcb.fParity = parity_ != NoParity;
    dcb.Parity = parity_ == OddParity     ? ODDPARITY
                 : parity_ == EvenParity  ? EVENPARITY
                 : parity_ == MarkParity  ? MARKPARITY
                 : parity_ == SpaceParity ? SPACEPARITY
                                          : NOPARITY;
    dcb.StopBits = stopBits_ == TwoStop ? TWOSTOPBITS : stopBits_ == OneAndHalfStop ? ONE5STOPBITS : ONESTOPBIT;
    const bool hardware = flowControl_ == HardwareControl;
    const bool software = flowControl_ == SoftwareControl;
    dcb.fOutxCtsFlow = hardware;
    dcb.fRtsControl = hardware ? RTS_CONTROL_HANDSHAKE : requestToSend_ ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
    dcb.fDtrControl = dataTerminalReady_ ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = software;
    dcb.fInX = software;
    dcb.fAbortOnError = FALSE;
    if (SetCommState(handle_, &dcb))
        return true;
    fail(UnsupportedOperationError, GetLastError());
    return false;
}

bool WinSerialPort::clear(Directions directions)
{
    if (directions & Input)
        buffer_.clear();
    if (!handle_)
        return true;
    DWORD flags = 0;
    if (directions & Input)
        flags |= PURGE_RXCLEAR;
    if (directions & Output)
        flags |= PURGE_TXCLEAR | PURGE_TXABORT;
    return PurgeComm(handle_, flags) != 0;
}

bool WinSerialPort::startWaiting()
{
    ResetEvent(wait_->overlapped.hEvent);
    if (WaitCommEvent(handle_, &wait_->mask, &wait_->overlapped)) {
        // Finished at once: the notifier still sees the event.
        SetEvent(wait_->overlapped.hEvent);
        return true;
    }
    if (GetLastError() == ERROR_IO_PENDING)
        return true;
    fail(ResourceError, GetLastError());
    return false;
}

void WinSerialPort::received()
{
    if (!handle_)
        return;
    DWORD ignored = 0;
    if (!GetOverlappedResult(handle_, &wait_->overlapped, &ignored, FALSE)) {
        // The adapter went away or the driver failed: the port stays open but reads nothing more.
        notifier_->setEnabled(false);
        fail(ResourceError, GetLastError());
        return;
    }
    DWORD errors = 0;
    COMSTAT status = {};
    ClearCommError(handle_, &errors, &status);
    if (status.cbInQue > 0) {
        QByteArray chunk(static_cast<qsizetype>(status.cbInQue), Qt::Uninitialized);
        Overlapped read;
        DWORD done = 0;
        const BOOL started = ReadFile(handle_, chunk.data(), status.cbInQue, &done, &read.overlapped);
        if (!transfer(handle_, started, read.overlapped, done)) {
            notifier_->setEnabled(false);
            fail(ReadError, GetLastError());
            return;
        }
        buffer_.append(chunk.constData(), static_cast<qsizetype>(done));
    }
    if (!startWaiting())
        return;
    if (!buffer_.isEmpty())
        emit readyRead();
}

qint64 WinSerialPort::readData(char* data, qint64 maxSize)
{
    const qint64 count = qMin<qint64>(maxSize, buffer_.size());
    std::memcpy(data, buffer_.constData(), static_cast<std::size_t>(count));
    buffer_.remove(0, static_cast<qsizetype>(count));
    return count;
}

qint64 WinSerialPort::writeData(const char* data, qint64 maxSize)
{
    if (!handle_)
        return -1;
    Overlapped write;
    DWORD done = 0;
    const BOOL started = WriteFile(handle_, data, static_cast<DWORD>(maxSize), &done, &write.overlapped);
    if (!transfer(handle_, started, write.overlapped, done)) {
        fail(WriteError, GetLastError());
        return -1;
    }
    return done;
}

void WinSerialPort::fail(SerialPortError error, unsigned long systemError)
{
    error_ = error;
    setErrorString(systemErrorText(systemError));
    emit errorOccurred(error);
}

} // namespace korvex
