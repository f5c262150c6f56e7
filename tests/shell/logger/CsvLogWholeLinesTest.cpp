#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "records/CsvLog.h"

namespace korvex {
namespace {

// The file size limit stands in for a full disk: the system takes the first bytes of a line and refuses
// the rest.
TEST(CsvLogWholeLines, ALineTheSystemTakesOnlyInPartIsCutBackOff)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("log.csv");
    TCsvLog log;
    ASSERT_TRUE(log.Open(path, "NO,Value\r\n"));
    ASSERT_TRUE(log.WriteLine("1,aaaa\r\n"));
    const qint64 whole = QFileInfo(path).size();

    rlimit previous {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = previous;
    limit.rlim_cur = static_cast<rlim_t>(whole + 4);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const bool written = log.WriteLine("2,bbbbbbbbbbbb\r\n");
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_FALSE(log.Error().isEmpty());
    log.Close();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("NO,Value\r\n1,aaaa\r\n"));
}

}  // namespace
}  // namespace korvex
