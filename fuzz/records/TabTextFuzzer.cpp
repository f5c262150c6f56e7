#include <QBuffer>
#include <cstddef>
#include <cstdint>

#include "records/TabTextReader.h"
#include "records/RecordFuzzTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    korvex::TTable table = korvex::fuzz::RecordTable();
    korvex::ReadTabText(buffer, table);
    korvex::fuzz::CheckTableWhole(table);
    return 0;
}
