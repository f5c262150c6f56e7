#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <csignal>
#include <string>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <unistd.h>

#include "records/RecordFiles.h"
#include "records/files/RecordFilesFixture.h"

namespace korvex {
namespace {

using test::AddRow;
using test::FileBytes;
using test::GridTitles;
using test::NineFields;

const QByteArray kOldContent = "old file that must survive\r\n";

TTable BigTable()
{
    TTable table(NineFields());
    for (int i = 1; i <= 2000; ++i)
        AddRow(table, i, {"2011-05-24 15:59:13", "Cp", "1.234", "nF", "D", "0.012", "", "1KHz"});
    return table;
}

struct SaveAttempt {
    bool saved;
    test::RecordedNotices notices;
};

SaveAttempt Save(TTable& table, const QString& path)
{
    SaveAttempt attempt{};
    const SaveNotices report{[&](const QString& t) { attempt.notices.informed << t; },
                             [&](const QString& t) { attempt.notices.errors << t; }};
    attempt.saved = DBToFiles(table, path, GridTitles(), report);
    return attempt;
}

void ExpectFailedAndOldFileKept(const SaveAttempt& attempt, const QString& path, bool xml)
{
    EXPECT_FALSE(attempt.saved);
    if (xml) {
        EXPECT_TRUE(attempt.notices.informed.isEmpty());
        ASSERT_EQ(attempt.notices.errors.size(), 1);
        EXPECT_TRUE(attempt.notices.errors.first().contains(path));
    } else {
        EXPECT_EQ(attempt.notices.informed, QStringList{"Could not save table to specified file: " + path});
        EXPECT_TRUE(attempt.notices.errors.isEmpty());
    }
    EXPECT_EQ(FileBytes(path), kOldContent);
    EXPECT_EQ(QFileInfo(path).dir().entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(path).fileName()});
}

// Drops root's power to write anywhere (and root's group) for file access from this thread, so permissions apply in tests run as root.
class FileAccessAsNobody {
public:
    FileAccessAsNobody()
    {
        if (geteuid() == 0) {
            setfsgid(65534);
            setfsuid(65534);
        }
    }
    ~FileAccessAsNobody()
    {
        if (geteuid() == 0) {
            setfsuid(0);
            setfsgid(0);
        }
    }
};

// A folder that allows no new file: a file the user may write is replaced in place, one he may not is kept.
TEST(SafeSave, ReadOnlyFolderWritesAWritableFileInPlaceAndKeepsAReadOnlyOne)
{
    for (const char* name : {"old.xls", "old.xml"}) {
        for (const bool writable : {true, false}) {
            SCOPED_TRACE(std::string(name) + (writable ? " writable" : " read-only"));
            const bool xml = QString(name).endsWith(".xml");
            QTemporaryDir dir;
            TTable table = BigTable();
            const QString expectedPath = dir.filePath(name);
            ASSERT_TRUE(Save(table, expectedPath).saved);
            const QString folder = dir.filePath("locked");
            ASSERT_TRUE(QDir(dir.path()).mkdir("locked"));
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther);
            const QString path = folder + "/" + name;
            test::WriteBytes(path, kOldContent);
            const QFile::Permissions read = QFile::ReadOwner | QFile::ReadOther;
            QFile::setPermissions(path, writable ? read | QFile::WriteOwner | QFile::WriteOther : read);
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
            SaveAttempt attempt;
            {
                FileAccessAsNobody nobody;
                attempt = Save(table, path);
            }
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            if (!writable) {
                ExpectFailedAndOldFileKept(attempt, path, xml);
                continue;
            }
            EXPECT_TRUE(attempt.saved);
            EXPECT_EQ(attempt.notices.informed, QStringList{"Save table to specified file: " + path + " Scuss!"});
            EXPECT_TRUE(attempt.notices.errors.isEmpty());
            EXPECT_EQ(FileBytes(path), FileBytes(expectedPath));
            EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{name});
        }
    }
}

// Files may grow only to a few kilobytes while this lives: a write beyond fails as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
};

TEST(SafeSave, WriteFailingHalfwayLeavesTheOldFile)
{
    for (const char* name : {"full.txt", "full.xml"}) {
        SCOPED_TRACE(name);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        test::WriteBytes(path, kOldContent);
        TTable table = BigTable();
        SaveAttempt attempt;
        {
            FileSizeLimit limit(8 * 1024);
            attempt = Save(table, path);
        }
        ExpectFailedAndOldFileKept(attempt, path, QString(name).endsWith(".xml"));

        // The same save succeeds once the space is there, and replaces the old file.
        EXPECT_TRUE(Save(table, path).saved);
        EXPECT_GT(QFileInfo(path).size(), 8 * 1024);
    }
}

TEST(SafeSave, MissingFolderReportsAndCreatesNothing)
{
    QTemporaryDir dir;
    TTable table = BigTable();
    const SaveAttempt xml = Save(table, dir.filePath("no/such.xml"));
    EXPECT_FALSE(xml.saved);
    EXPECT_TRUE(xml.notices.informed.isEmpty());
    EXPECT_EQ(xml.notices.errors.size(), 1);
    const SaveAttempt text = Save(table, dir.filePath("no/such"));
    EXPECT_EQ(text.notices.informed, QStringList{"Could not save table to specified file: " + dir.filePath("no/such.xls")});
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

}  // namespace
}  // namespace korvex
