#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <QThread>
#include <memory>
#include <string>
#include <vector>

#include "BridgeDouble.h"
#include "links/uCP2110.h"

namespace korvex::testing {

// A link bound to the test double, with every event written to a log.
class LinkFixture : public ::testing::Test {
protected:
    void SetUp() override { BridgeDouble::reset(); }

    // Builds the link; the double's script at this moment is what its start-up enumeration sees.
    std::unique_ptr<TCP2110> makeLink()
    {
        auto link = std::make_unique<TCP2110>();
        TCP2110* raw = link.get();
        link->OnConnect = [this](QObject* sender) { log.push_back(sender ? "connect" : "connect(null)"); };
        link->OnDisconnect = [this, raw](QObject* sender) {
            log.push_back(sender ? "disconnect(sender)" : raw->Connected() ? "disconnect(connected)" : "disconnect");
            readsAtDisconnect = BridgeDouble::calls("HidUart_Read");
        };
        link->OnError = [this](std::uint32_t code, const QString& message) {
            log.push_back("error " + std::to_string(code) + " '" + message.toStdString() + "'");
        };
        link->OnReceiveData = [this, raw](const char* data, std::uint32_t len) {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            chunks.emplace_back(data, data + len);
            log.push_back(std::string(raw->Connected() ? "data " : "data(disconnected) ") + std::to_string(len));
        };
        link->OnArrival = [this](QObject*) { log.push_back("arrival"); };
        link->OnRemoval = [this, raw](QObject*) {
            log.push_back(raw->Connected() ? "removal" : "removal(disconnected)");
        };
        link->OnDeviceChange = [this](QObject*) { log.push_back("change"); };
        return link;
    }

    // A link that polls every millisecond, so tests see chunks quickly, and that waits only briefly for a
    // reader blocked in a hand-over when it disconnects.
    std::unique_ptr<TCP2110> makeFastLink()
    {
        auto link = makeLink();
        link->setReadTimeInterval(1);
        link->setReaderStopWait(std::chrono::milliseconds(20));
        return link;
    }

    // Serves the UI thread until the condition holds; false after timeoutMs.
    static bool spinUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!condition()) {
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            QThread::msleep(1);
        }
        return true;
    }

    // Lets the reader run for a while with the UI thread serving hand-overs.
    static void spinFor(int ms) { QTest::qWait(ms); }

    std::vector<std::string> dataEntries() const
    {
        std::vector<std::string> out;
        for (const auto& entry : log)
            if (entry.rfind("data", 0) == 0)
                out.push_back(entry);
        return out;
    }

    std::vector<std::string> log;
    std::vector<std::vector<char>> chunks;
    std::uint64_t readsAtDisconnect = 0;
};

} // namespace korvex::testing
