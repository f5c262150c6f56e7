#include "links/uCP2110.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "links/BridgeLibrary.h"
#include "links/BridgeReadThread.h"
#include "links/BridgeStatus.h"
#include "links/ChunkHandOver.h"
#include "links/DeviceWatcher.h"

namespace korvex {
namespace {

// String kinds of HidUart_GetString.
enum StringKind : std::uint8_t {
    VendorIdText = 1,  // vendor id as hexadecimal text
    ProductIdText = 2, // product id as hexadecimal text
    PathText = 3,      // device path
    SerialText = 4,    // serial number
};

const QString BridgeVendorId = QStringLiteral("10C4");
const QString BridgeProductId = QStringLiteral("EA80");

QString entryName(const QString& entry)
{
    return entry.left(entry.indexOf(QLatin1Char('=')));
}

QString entryValue(const QString& entry)
{
    const qsizetype at = entry.indexOf(QLatin1Char('='));
    return at < 0 ? QString() : entry.mid(at + 1);
}

char asciiLower(char16_t c)
{
    return static_cast<char>(c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c);
}

bool equalsIgnoringAsciiCase(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        if (x != y && (x > 0x7F || y > 0x7F || asciiLower(x) != asciiLower(y)))
            return false;
    }
    return true;
}

QString asciiUpper(QString text)
{
    for (QChar& c : text)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - u'a' + u'A');
    return text;
}

// A name made only of blanks and control characters does not count as a serial number.
bool hasVisibleText(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > u' '; });
}

void sortDeviceList(QStringList& list)
{
    std::stable_sort(list.begin(), list.end(),
                     [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
}

} // namespace

TCP2110::TCP2110(QObject* owner)
    : TCP2110(owner, BridgeLibrary::defaultPath())
{
}

TCP2110::TCP2110(QObject* owner, const QString& libraryPath)
    : QObject(owner)
{
    library_ = std::make_unique<BridgeLibrary>(libraryPath);
    if (!library_->isBound())
        return;
    watcher_ = StartDeviceWatcher(
        [this](std::uint32_t eventCode, const QString& path) { HandleDeviceChange(eventCode, path); });
    enumerateAtStart();
}

TCP2110::~TCP2110()
{
    // The owner is going away: nothing is reported to it any more.
    OnConnect = nullptr;
    OnDisconnect = nullptr;
    OnError = nullptr;
    OnReceiveData = nullptr;
    OnArrival = nullptr;
    OnRemoval = nullptr;
    OnDeviceChange = nullptr;
    if (reader_) {
        const auto reader = std::move(reader_);
        reader->stop(std::chrono::milliseconds(0));
    }
    closeDevice();
    watcher_.reset();
    library_.reset();
}

bool TCP2110::LibraryBound() const
{
    return library_ && library_->isBound();
}

void TCP2110::raise(const TNotifyEvent& event, QObject* sender)
{
    // A copy, so a handler may reassign its own event.
    const TNotifyEvent handler = event;
    if (handler)
        handler(sender);
}

bool TCP2110::readString(std::uint32_t index, std::uint32_t kind, QString& out) const
{
    char text[BridgeStringLength] = {};
    if (library_->api().GetString(index, 0, 0, text, kind) != 0)
        return false;
    text[BridgeStringLength - 1] = '\0';
    out = QString::fromLatin1(text);
    return true;
}

bool TCP2110::isBridge(std::uint32_t index) const
{
    QString vendor, product;
    return readString(index, VendorIdText, vendor) && readString(index, ProductIdText, product)
        && asciiUpper(vendor) == BridgeVendorId && asciiUpper(product) == BridgeProductId;
}

void TCP2110::enumerateAtStart()
{
    std::uint32_t count = 0;
    if (library_->api().GetNumDevices(&count, 0, 0) != 0)
        return;
    for (std::uint32_t i = 0; i < count; ++i) {
        QString serial, path;
        if (!readString(i, SerialText, serial) || !isBridge(i))
            continue;
        if (readString(i, PathText, path))
            deviceList_.append(serial + QLatin1Char('=') + path);
    }
    if (deviceList_.isEmpty()) {
        deviceName_.clear();
        return;
    }
    sortDeviceList(deviceList_);
    for (const QString& entry : std::as_const(deviceList_)) {
        const QString name = entryName(entry);
        if (hasVisibleText(name)) {
            deviceName_ = name;
            break;
        }
    }
}

void TCP2110::setReadTimeInterval(std::uint32_t ms)
{
    if (ms == readTimeInterval_)
        return;
    readTimeInterval_ = ms;
    pollPause_ = ms;
}

void TCP2110::setReadPause(bool value)
{
    if (!connected_ || value == readPause_)
        return;
    readPause_ = value;
    if (reader_)
        reader_->setPaused(value);
}

bool TCP2110::Connect()
{
    if (connected_)
        return true;
    if (!LibraryBound() || !openNamedDevice() || !configureDevice()) {
        closeDevice();
        failConnect();
        return false;
    }
    startReader();
    connected_ = true;
    raise(OnConnect, this);
    return true;
}

bool TCP2110::openNamedDevice()
{
    openRefusal_ = ConnectFailed;
    refusedNode_.clear();
    const BridgeEntryPoints& api = library_->api();
    std::uint32_t count = 0;
    if (api.GetNumDevices(&count, 0, 0) != 0)
        return false;
    // Serial numbers are compared byte for byte: letter case counts.
    const QByteArray wanted = deviceName_.toLatin1();
    for (std::uint32_t i = 0; i < count; ++i) {
        char serial[BridgeStringLength] = {};
        if (api.GetString(i, 0, 0, serial, SerialText) != 0)
            continue;
        serial[BridgeStringLength - 1] = '\0';
        if (wanted != QByteArray(serial))
            continue;
        // With no bridge attached an empty DeviceName matches any HID device without a serial number: a
        // keyboard must never receive the bridge's set-up reports.
        if (!isBridge(i))
            continue;
        void* device = nullptr;
        const int status = api.Open(&device, i, 0, 0);
        if (status == 0 && device) {
            device_ = device;
            openRefusal_ = ConnectFailed;
            return true;
        }
        // Our own library tells a refused permission and a cable held by another program apart.
        if (api.KorvexStatuses && status == BridgeStatusPermissionDenied) {
            openRefusal_ = ConnectNoPermission;
            readString(i, PathText, refusedNode_);
        }
        else if (api.KorvexStatuses && status == BridgeStatusInUse && openRefusal_ == ConnectFailed)
            openRefusal_ = ConnectInUse;
    }
    return false;
}

bool TCP2110::configureDevice()
{
    const BridgeEntryPoints& api = library_->api();
    std::uint8_t part = 0, version = 0;
    if (api.GetPartNumber(device_, &part, &version) != 0)
        return false;
    const BridgeUartCodes wanted = bridgeUartCodes(baudRate_, byteSize_, parity_, stopBits_);
    if (api.SetUartConfig(device_, wanted.baudRate, wanted.dataBits, wanted.parity, wanted.stopBits,
                          wanted.flowControl)
        != 0)
        return false;
    BridgeUartCodes actual;
    if (api.GetUartConfig(device_, &actual.baudRate, &actual.dataBits, &actual.parity, &actual.stopBits,
                          &actual.flowControl)
            != 0
        || actual != wanted)
        return false;
    return api.SetTimeouts(device_, readTimeOuts_, writeTimeOuts_) == 0;
}

void TCP2110::startReader()
{
    handOver_ = std::make_shared<ChunkHandOver>(
        [this] { QMetaObject::invokeMethod(this, "serveHandOver", Qt::QueuedConnection); },
        [this](const char* data, std::uint32_t len) {
            const TReceiveData handler = OnReceiveData;
            if (handler)
                handler(data, len);
        });
    const auto read = library_->api().Read;
    void* const device = device_;
    reader_ = std::make_unique<cp2110::TReadThread>(
        [read, device](std::uint8_t* buffer, std::uint32_t want, std::uint32_t* got) {
            return read(device, buffer, want, got);
        },
        handOver_, pollPause_);
    if (!reader_->start()) {
        reader_.reset();
        handOver_.reset();
        closeDevice();
        throw std::runtime_error("Failed to Create Thread!");
    }
}

void TCP2110::serveHandOver()
{
    // Held for the call: a handler that disconnects releases the link's own reference.
    const std::shared_ptr<ChunkHandOver> handOver = handOver_;
    if (handOver)
        handOver->serve();
}

void TCP2110::failConnect()
{
    const TErrorEvent handler = OnError;
    if (handler)
        handler(openRefusal_, openRefusal_ == ConnectNoPermission ? refusedNode_ : QString());
}

void TCP2110::closeDevice()
{
    if (!device_)
        return;
    library_->api().Close(device_);
    device_ = nullptr;
}

void TCP2110::Disconnect()
{
    std::exception_ptr handlerError;
    if (reader_) {
        // Moved out first: a handler served during the stop may call Disconnect again.
        const auto reader = std::move(reader_);
        stoppingReader_ = true;
        try {
            reader->stop(readerStopWait_);
        } catch (...) {
            handlerError = std::current_exception();
        }
        stoppingReader_ = false;
        handOver_.reset();
    }
    // A nested call leaves the device to the outer one, whose reader may still be reading it.
    if (!stoppingReader_)
        closeDevice();
    connected_ = false;
    // Nothing is paused once the reader is gone; a stale true would make the next pause a no-op.
    readPause_ = false;
    raise(OnDisconnect, nullptr);
    if (handlerError)
        std::rethrow_exception(handlerError);
}

void TCP2110::HandleDeviceChange(std::uint32_t eventCode, const QString& path)
{
    std::exception_ptr handlerError;
    if (LibraryBound() && (eventCode == DBT_DEVICEARRIVAL || eventCode == DBT_DEVICEREMOVECOMPLETE)) {
        try {
            if (eventCode == DBT_DEVICEARRIVAL)
                handleArrival(path);
            else
                handleRemoval(path);
        } catch (...) {
            handlerError = std::current_exception();
        }
    }
    try {
        raise(OnDeviceChange, this);
    } catch (...) {
        if (!handlerError)
            handlerError = std::current_exception();
    }
    if (handlerError)
        std::rethrow_exception(handlerError);
}

void TCP2110::handleArrival(const QString& path)
{
    std::uint32_t count = 0;
    if (library_->api().GetNumDevices(&count, 0, 0) != 0)
        return;
    for (std::uint32_t i = 0; i < count; ++i) {
        QString reportedPath, serial;
        if (!readString(i, PathText, reportedPath))
            continue;
        if (equalsIgnoringAsciiCase(reportedPath, path))
            raise(OnArrival, this);
        if (!readString(i, SerialText, serial) || !readString(i, PathText, reportedPath))
            continue;
        // Only bridges join the list: another HID device with a serial number could sort first and
        // become the device Connect looks for.
        if (!isBridge(i))
            continue;
        const bool listed = std::any_of(deviceList_.cbegin(), deviceList_.cend(), [&](const QString& entry) {
            return entryName(entry).compare(serial, Qt::CaseInsensitive) == 0;
        });
        if (!listed)
            deviceList_.append(serial + QLatin1Char('=') + reportedPath);
    }
    sortDeviceList(deviceList_);
}

void TCP2110::handleRemoval(const QString& path)
{
    for (qsizetype i = 0; i < deviceList_.size(); ++i) {
        if (equalsIgnoringAsciiCase(entryValue(deviceList_[i]), path)) {
            deviceList_.removeAt(i);
            break;
        }
    }
    // A second notification while the first removal's handler is still up must not report it again.
    if (!device_ || removalUnderWay_)
        return;
    char openedPath[BridgeStringLength] = {};
    if (library_->api().GetOpenedString(device_, openedPath, PathText) != 0)
        return;
    openedPath[BridgeStringLength - 1] = '\0';
    if (!equalsIgnoringAsciiCase(QString::fromLatin1(openedPath), path))
        return;
    struct RemovalScope {
        bool& flag;
        explicit RemovalScope(bool& f)
            : flag(f)
        {
            flag = true;
        }
        ~RemovalScope() { flag = false; }
    } scope(removalUnderWay_);
    std::exception_ptr handlerError;
    try {
        raise(OnRemoval, this);
    } catch (...) {
        handlerError = std::current_exception();
    }
    Disconnect();
    if (handlerError)
        std::rethrow_exception(handlerError);
}

} // namespace korvex
