#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include <QObject>
#include <QString>
#include <QStringList>

#include "links/BridgeSettings.h"
#include "links/DeviceEvents.h"

namespace korvex {

class BridgeLibrary;
class ChunkHandOver;
namespace cp2110 {
class TReadThread;
}

using TNotifyEvent = std::function<void(QObject* Sender)>;
using TErrorEvent = std::function<void(std::uint32_t ErrorCode, const QString& ErrorMsg)>;
// Data is valid only until the handler returns.
using TReceiveData = std::function<void(const char* Data, std::uint32_t Len)>;

// The bridge link: binds the CP2110 bridge library beside the program, keeps the list of attached bridges
// current from hot-plug notifications, opens the bridge named by DeviceName and hands the bytes its reader
// receives to the UI thread. All events are raised on the UI thread; an unassigned one is skipped.
class TCP2110 : public QObject {
    Q_OBJECT

public:
    // The failure code of OnError for every failed Connect.
    static constexpr std::uint32_t ConnectFailed = 101;
    // The failure code of OnError when the named bridge is attached but this user may not open it; the
    // error's text is the refused device node.
    static constexpr std::uint32_t ConnectNoPermission = 102;
    // The failure code of OnError when the named bridge is attached but another program has it open.
    static constexpr std::uint32_t ConnectInUse = 103;
    // The reader's pause between polls until ReadTimeInterval changes it.
    static constexpr std::uint32_t InitialPollPause = 70;

    // Binds libslabhidtouart.so in the program's directory.
    explicit TCP2110(QObject* owner = nullptr);
    // Binds the library at libraryPath instead.
    TCP2110(QObject* owner, const QString& libraryPath);
    ~TCP2110() override;

    // Opens and configures the device named by DeviceName and starts the reader. On failure raises
    // OnError(101, ""), or OnError(102, "") when the named device refused this user, and returns false; throws std::runtime_error("Failed to Create Thread!") when the
    // reader cannot start. While already connected it changes nothing and returns true.
    bool Connect();
    // Stops the reader, closes the device, raises OnDisconnect; safe in any state.
    void Disconnect();

    // Device notification: DBT_DEVICEARRIVAL or DBT_DEVICEREMOVECOMPLETE with the device node's path,
    // any other code for a plain change. Keeps DeviceList current, disconnects when the open device went
    // away, and always raises OnDeviceChange last.
    void HandleDeviceChange(std::uint32_t eventCode, const QString& path);

    bool Connected() const { return connected_; }
    // True from OnRemoval until the disconnect that follows it has ended: the link closes itself then,
    // and nothing else needs to.
    bool RemovalUnderWay() const { return removalUnderWay_; }
    // Entries "serial=path", sorted without regard to case.
    QStringList DeviceList() const { return deviceList_; }
    bool LibraryBound() const;

    TBaudRate BaudRate() const { return baudRate_; }
    void setBaudRate(TBaudRate value) { baudRate_ = value; }
    TByteSize ByteSize() const { return byteSize_; }
    void setByteSize(TByteSize value) { byteSize_ = value; }
    TStopBits StopBits() const { return stopBits_; }
    void setStopBits(TStopBits value) { stopBits_ = value; }
    TParity Parity() const { return parity_; }
    void setParity(TParity value) { parity_ = value; }
    QString DeviceName() const { return deviceName_; }
    void setDeviceName(const QString& value) { deviceName_ = value; }
    std::uint32_t ReadTimeOuts() const { return readTimeOuts_; }
    void setReadTimeOuts(std::uint32_t ms) { readTimeOuts_ = ms; }
    std::uint32_t WriteTimeOuts() const { return writeTimeOuts_; }
    void setWriteTimeOuts(std::uint32_t ms) { writeTimeOuts_ = ms; }
    std::uint32_t ReadTimeInterval() const { return readTimeInterval_; }
    // A value other than the current one sets the poll pause too.
    void setReadTimeInterval(std::uint32_t ms);
    std::uint32_t PollPause() const { return pollPause_; }
    bool ReadPause() const { return readPause_; }
    // Acts only while connected and when the value changes.
    void setReadPause(bool value);

    // How long Disconnect waits for the reader before it serves a hand-over the reader is blocked in.
    void setReaderStopWait(std::chrono::milliseconds wait) { readerStopWait_ = wait; }

    TNotifyEvent OnConnect;
    TNotifyEvent OnDisconnect; // raised with a null sender
    TErrorEvent OnError;
    TReceiveData OnReceiveData;
    TNotifyEvent OnArrival;
    TNotifyEvent OnRemoval;
    TNotifyEvent OnDeviceChange;

private:
    // Runs the handler of a chunk the reader waits to hand over; queued by the reader, carries no data, so
    // a late one finds nothing to do.
    Q_INVOKABLE void serveHandOver();

    void enumerateAtStart();
    bool openNamedDevice();
    bool configureDevice();
    void startReader();
    void failConnect();
    void closeDevice();
    void handleArrival(const QString& path);
    void handleRemoval(const QString& path);
    bool readString(std::uint32_t index, std::uint32_t kind, QString& out) const;
    // The device at this index reports the bridge's vendor and product ids.
    bool isBridge(std::uint32_t index) const;
    void raise(const TNotifyEvent& event, QObject* sender);

    std::unique_ptr<BridgeLibrary> library_;
    std::unique_ptr<QObject> watcher_;
    std::shared_ptr<ChunkHandOver> handOver_;
    std::unique_ptr<cp2110::TReadThread> reader_;
    void* device_ = nullptr;
    bool connected_ = false;
    // The last open walk found the named bridge but was refused permission to open it.
    // Why the last Connect found no bridge to open: ConnectFailed, ConnectNoPermission or ConnectInUse.
    std::uint32_t openRefusal_ = ConnectFailed;
    // The device node that refused this user, told with ConnectNoPermission.
    QString refusedNode_;
    bool stoppingReader_ = false;
    bool removalUnderWay_ = false;
    QStringList deviceList_;

    TBaudRate baudRate_ = TBaudRate::CBR_9600;
    TByteSize byteSize_ = TByteSize::_8;
    TStopBits stopBits_ = TStopBits::_1;
    TParity parity_ = TParity::None;
    QString deviceName_;
    std::uint32_t readTimeOuts_ = 0;
    std::uint32_t writeTimeOuts_ = 500;
    std::uint32_t readTimeInterval_ = 100;
    std::atomic<std::uint32_t> pollPause_{InitialPollPause};
    bool readPause_ = false;
    std::chrono::milliseconds readerStopWait_{1000};
};

} // namespace korvex
