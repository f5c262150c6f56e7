
#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include "LinkFixture.h"
#include "common/LoadedLibrary.h"
#include "links/BridgeLibrary.h"

using namespace korvex;
using namespace korvex::testing;

namespace {

using Strings = std::vector<std::string>;

// Answers every modal box that opens while it lives, clicking its "OK" button, and remembers what it saw.
class BoxAnswerer {
public:
    BoxAnswerer()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen.push_back(box->windowTitle().toStdString() + "|" + box->text().toStdString() + "|"
                           + (box->icon() == QMessageBox::Critical ? "critical" : "other"));
            if (auto* ok = box->findChild<QAbstractButton*>("OK"))
                ok->click();
            else
                box->reject();
        });
        timer_.start();
    }

    std::vector<std::string> seen;

private:
    QTimer timer_;
};

class BindingTest : public LinkFixture {
protected:
    std::unique_ptr<TCP2110> linkAt(const QString& path)
    {
        auto link = std::make_unique<TCP2110>(nullptr, path);
        link->OnError = [this](std::uint32_t code, const QString& message) {
            log.push_back("error " + std::to_string(code) + " '" + message.toStdString() + "'");
        };
        link->OnDeviceChange = [this](QObject*) { log.push_back("change"); };
        return link;
    }

    // An unbound link lists nothing, calls nothing and fails every Connect with 101.
    void expectUnbound(TCP2110& link)
    {
        EXPECT_FALSE(link.LibraryBound());
        EXPECT_TRUE(link.DeviceList().isEmpty());
        EXPECT_TRUE(link.DeviceName().isEmpty());
        log.clear();
        EXPECT_FALSE(link.Connect());
        link.HandleDeviceChange(DBT_DEVICEARRIVAL, "/dev/hidraw1");
        EXPECT_EQ(log, (Strings{"error 101 ''", "change"}));
        EXPECT_FALSE(link.Connected());
    }
};

TEST_F(BindingTest, TheLibraryBesideTheProgramIsBound)
{
    BridgeDouble::addDevice("a3", "/dev/hidraw2");
    EXPECT_EQ(BridgeLibrary::defaultPath(), QCoreApplication::applicationDirPath() + "/" KORVEX_BRIDGE_LIBRARY_FILE);
    const TCP2110 link;
    EXPECT_TRUE(link.LibraryBound());
    EXPECT_EQ(link.DeviceList(), QStringList{"a3=/dev/hidraw2"});
}

TEST_F(BindingTest, OurHidapiLibraryBindsEveryEntryPoint)
{
    const auto link = linkAt(KORVEX_HIDTOUART_LIBRARY);
    EXPECT_TRUE(link->LibraryBound());
    // Whatever HID devices this machine has, only CP2110 bridges may be listed.
    for (const QString& entry : link->DeviceList())
        EXPECT_TRUE(entry.contains('=')) << entry.toStdString();
}

TEST_F(BindingTest, AMissingFileShowsTheBoxOnceAndLeavesTheLinkUnbound)
{
    QTemporaryDir dir;
    BoxAnswerer answerer;
    const auto link = linkAt(dir.path() + "/" KORVEX_BRIDGE_LIBRARY_FILE);
    EXPECT_EQ(answerer.seen, Strings{"Error|DLL File is not Exists!|critical"});
    expectUnbound(*link);
    EXPECT_EQ(answerer.seen.size(), 1u);
}

TEST_F(BindingTest, AFileThatDoesNotLoadIsUnboundWithoutABox)
{
    QTemporaryDir dir;
    QFile file(dir.path() + "/" KORVEX_BRIDGE_LIBRARY_FILE);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a shared library");
    file.close();
    BoxAnswerer answerer;
    const auto link = linkAt(file.fileName());
    expectUnbound(*link);
    EXPECT_TRUE(answerer.seen.empty());
}

TEST_F(BindingTest, ALibraryLackingEntryPointsIsNeverCalled)
{
    const QString path = QCoreApplication::applicationDirPath() + "/" + korvex::testing::SharedLibraryName("partialbridge");
    const auto link = linkAt(path);
    expectUnbound(*link);
    const auto calls = reinterpret_cast<std::uint64_t (*)()>(korvex::testing::EntryOfLoadedLibrary(path, "PartialBridge_Calls"));
    ASSERT_NE(calls, nullptr) << "the link keeps the library loaded";
    EXPECT_EQ(calls(), 0u) << "the resolved entry point of an incomplete library is not called";
}

} // namespace
