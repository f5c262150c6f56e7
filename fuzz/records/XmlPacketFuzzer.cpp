#include <QBuffer>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "records/PacketReadersAgree.h"
#include "records/RecordFuzzTable.h"
#include "records/XmlPacketReader.h"
#include "records/XmlPacketWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    korvex::TTable table = korvex::fuzz::RecordTable();
    const bool loaded = korvex::ReadXmlDataPacket(buffer, table);
    korvex::fuzz::CheckTableWhole(table);

    const std::string difference = korvex::fuzz::CompareReaders(bytes).difference;
    if (!difference.empty()) {
        std::fprintf(stderr, "readers disagree: %s\n", difference.c_str());
        std::abort();
    }

    // Whatever was read writes out as a packet that reads back to the same rows.
    if (loaded && table.RecordCount() > 0) {
        QBuffer written;
        written.open(QIODevice::WriteOnly);
        korvex::WriteXmlDataPacket(table, written);
        written.close();
        written.open(QIODevice::ReadOnly);
        korvex::TTable back = korvex::fuzz::RecordTable();
        if (!korvex::ReadXmlDataPacket(written, back) || back.RecordCount() != table.RecordCount())
            std::abort();
        for (int row = 0; row < table.RecordCount(); ++row)
            for (int field = 0; field < table.FieldCount(); ++field) {
                if (table.IsNull(row, field) != back.IsNull(row, field))
                    std::abort();
                if (field == 0 ? table.Integer(row, 0) != back.Integer(row, 0)
                               : table.Text(row, field) != back.Text(row, field))
                    std::abort();
            }
    }
    return 0;
}
