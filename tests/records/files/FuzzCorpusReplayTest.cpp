#include <QBuffer>
#include <QDir>
#include <gtest/gtest.h>

#include "records/RecordRoundTrip.h"
#include "records/TabTextReader.h"
#include "records/XmlPacketReader.h"
#include "records/files/RecordFilesFixture.h"

namespace korvex {
namespace {

// Every input the fuzzers keep must read without a crash and leave the table whole.
void Replay(const char* corpus, bool (*read)(QIODevice&, TTable&))
{
    const QDir dir(QStringLiteral(KORVEX_SOURCE_DIR "/fuzz/corpus/") + corpus);
    const QStringList files = dir.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        QByteArray bytes = test::FileBytes(dir.filePath(name));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        TTable table(test::NineFields());
        read(buffer, table);
        EXPECT_FALSE(table.Editing());
        for (int row = 0; row < table.RecordCount(); ++row)
            for (int field = 1; field < table.FieldCount(); ++field)
                EXPECT_LE(table.Text(row, field).size(), 20u);
    }
}

TEST(FuzzCorpus, TextReaderReplays)
{
    Replay("records-text", &ReadTabText);
}

TEST(FuzzCorpus, XmlReaderReplays)
{
    Replay("records-xml", &ReadXmlDataPacket);
}

// Every input of the round-trip target's corpus, and of the readers' own, keeps the readers' promise:
// what they read comes back whole through both writers.
TEST(FuzzCorpus, RoundTripReplays)
{
    for (const char* corpus : {"records-roundtrip", "records-text", "records-xml"}) {
        const QDir dir(QStringLiteral(KORVEX_SOURCE_DIR "/fuzz/corpus/") + corpus);
        const QStringList files = dir.entryList(QDir::Files);
        ASSERT_FALSE(files.isEmpty()) << corpus;
        for (const QString& name : files)
            EXPECT_EQ(fuzz::RoundTripFault(test::FileBytes(dir.filePath(name))), "") << corpus << "/" << name.toStdString();
    }
}

}  // namespace
}  // namespace korvex
