#include "records/XmlPacketTable.h"

#include <QLatin1StringView>
#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace korvex::xmlpacket {
namespace {

constexpr std::size_t kPieceBytes = 1 << 20;

bool NameIs(QStringView name, std::string_view expected)
{
    return name == QLatin1StringView(expected.data(), static_cast<qsizetype>(expected.size()));
}

bool NameIs(std::string_view name, std::string_view expected)
{
    return name == expected;
}

template <typename Name>
Element Classify(Element parent, Name name)
{
    switch (parent) {
    case Element::Packet:
        if (NameIs(name, "METADATA"))
            return Element::Metadata;
        if (NameIs(name, "ROWDATA"))
            return Element::RowData;
        break;
    case Element::Metadata:
        if (NameIs(name, "FIELDS"))
            return Element::Fields;
        if (NameIs(name, "PARAMS"))
            return Element::Params;
        break;
    case Element::Fields:
        if (NameIs(name, "FIELD"))
            return Element::Field;
        break;
    case Element::RowData:
        if (NameIs(name, "ROW"))
            return Element::Row;
        break;
    default:
        break;
    }
    return Element::Other;
}

}  // namespace

void RowCells::Reset(std::size_t fieldCount)
{
    m_tags.assign(fieldCount, CellTag::Missing);
    m_integers.resize(fieldCount);
    m_textAt.resize(fieldCount);
    m_text.clear();
}

void RowCells::SetInteger(std::size_t field, std::int32_t value)
{
    m_integers[field] = value;
    m_tags[field] = CellTag::Integer;
}

void RowCells::SetTextFrom(std::size_t field, std::size_t start)
{
    m_textAt[field] = {static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(m_text.size() - start)};
    m_tags[field] = CellTag::Text;
}

void RowCells::AppendTo(PacketTable& table) const
{
    const std::size_t fieldCount = m_tags.size();
    std::size_t rowBytes = fieldCount + m_text.size();
    for (std::size_t f = 0; f < fieldCount; ++f) {
        if (m_tags[f] != CellTag::Missing)
            rowBytes += sizeof(std::uint32_t);
    }
    if (table.pieces.empty() || table.pieces.back().capacity() - table.pieces.back().size() < rowBytes) {
        table.pieces.emplace_back();
        table.pieces.back().reserve(std::max(kPieceBytes, rowBytes));
    }
    std::string& cells = table.pieces.back();
    for (std::size_t f = 0; f < fieldCount; ++f) {
        cells.push_back(static_cast<char>(m_tags[f]));
        if (m_tags[f] == CellTag::Integer) {
            cells.append(reinterpret_cast<const char*>(&m_integers[f]), sizeof(std::int32_t));
        } else if (m_tags[f] == CellTag::Text) {
            const auto [start, length] = m_textAt[f];
            cells.append(reinterpret_cast<const char*>(&length), sizeof length);
            cells.append(m_text, start, length);
        }
    }
    ++table.rows;
}

// A value that the target's field cannot take makes the engine throw; that ends the copy.
bool CopyByPosition(const PacketTable& source, TTable& target)
{
    if (source.rows > 0 && source.fields.size() > static_cast<std::size_t>(target.FieldCount()))
        return false;
    std::vector<CellValue> row(source.fields.size());
    for (const std::string& piece : source.pieces) {
        const char* at = piece.data();
        const char* const end = at + piece.size();
        while (at < end) {
            for (CellValue& cell : row) {
                const auto tag = static_cast<CellTag>(*at++);
                if (tag == CellTag::Integer) {
                    cell.kind = CellValue::Kind::Integer;
                    std::memcpy(&cell.integer, at, sizeof cell.integer);
                    at += sizeof cell.integer;
                } else if (tag == CellTag::Text) {
                    std::uint32_t length = 0;
                    std::memcpy(&length, at, sizeof length);
                    at += sizeof length;
                    cell.kind = CellValue::Kind::Text;
                    cell.text = std::string_view(at, length);
                    at += length;
                } else {
                    cell.kind = CellValue::Kind::Missing;
                }
            }
            try {
                target.PostRow(row);
            } catch (const std::invalid_argument&) {
                return false;
            }
        }
    }
    return true;
}

template <typename Name>
std::optional<Element> PacketNesting::OpenNamed(Name name, bool haveFields)
{
    if (m_open.size() >= kMaxDepth)
        return std::nullopt;
    Element element = Element::Packet;
    if (m_open.empty()) {
        if (!NameIs(name, "DATAPACKET"))
            return std::nullopt;
    } else {
        element = Classify(m_open.back(), name);
    }
    if (element == Element::Field && m_rowsStarted)
        return std::nullopt;
    if (element == Element::Row) {
        m_rowsStarted = true;
        if (!haveFields)
            return std::nullopt;
    }
    m_open.push_back(element);
    return element;
}

std::optional<Element> PacketNesting::Open(QStringView name, bool haveFields)
{
    return OpenNamed(name, haveFields);
}

std::optional<Element> PacketNesting::Open(std::string_view name, bool haveFields)
{
    return OpenNamed(name, haveFields);
}

}  // namespace korvex::xmlpacket
