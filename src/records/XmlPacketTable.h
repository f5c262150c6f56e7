#pragma once

#include <QStringView>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "records/TableEngine.h"

// What both packet parsers share: the rules of the packet's shape, and the temporary table they fill
// before any row reaches the target.
namespace korvex::xmlpacket {

// Bounds that no packet of the record table comes near; they keep hostile files from filling memory.
constexpr std::size_t kMaxDepth = 64;
constexpr std::size_t kMaxFields = 4096;
constexpr int kMaxWidth = 65535;

// The packet as read: its fields and its rows, each row a run of cells, one per field:
// a tag byte (0 missing, 1 integer of 4 bytes, 2 text with a 4-byte length), then the value.
// Rows are kept in pieces that are never grown past what they reserved, so a large packet is not copied
// again and again as it grows; a row never straddles two pieces.
struct PacketTable {
    std::vector<FieldDef> fields;
    std::vector<std::string> pieces;
    std::size_t rows = 0;
};

enum class CellTag : char {
    Missing = 0,  // no value
    Integer = 1,  // 32-bit integer follows
    Text = 2,     // 32-bit length and the bytes follow
};

// The cells of the row being read, one per field of the packet, added to the table once the row is whole.
class RowCells {
public:
    void Reset(std::size_t fieldCount);
    void SetInteger(std::size_t field, std::int32_t value);
    // A field's text is appended to Texts(), then named with the size Texts() had before.
    std::string& Texts() { return m_text; }
    void SetTextFrom(std::size_t field, std::size_t start);
    void AppendTo(PacketTable& table) const;

private:
    std::vector<CellTag> m_tags;
    std::vector<std::int32_t> m_integers;
    // The row's texts, one after the other in m_text, each at its offset with its length.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_textAt;
    std::string m_text;
};

// Appends the packet's rows to the target by field position, converting each value to the target
// field's type. False at the first row whose values the target cannot take; the rows before it stay.
bool CopyByPosition(const PacketTable& source, TTable& target);

// Where an element sits in the packet.
enum class Element : std::uint8_t {
    Packet,    // DATAPACKET
    Metadata,  // METADATA
    Fields,    // FIELDS
    Field,     // one FIELD
    Params,    // PARAMS
    RowData,   // ROWDATA
    Row,       // one ROW
    Other,     // anything else, ignored with what it holds
};

// Follows the elements as they open and close and says where each one sits.
class PacketNesting {
public:
    // The place of an element that opens, or nothing where the packet cannot have it: nested too deep,
    // a root other than DATAPACKET, a FIELD after the first ROW, or a ROW before any FIELD.
    // The element counts as open from here on.
    std::optional<Element> Open(QStringView name, bool haveFields);
    std::optional<Element> Open(std::string_view name, bool haveFields);
    void Close() { m_open.pop_back(); }
    bool AnyOpen() const { return !m_open.empty(); }

private:
    template <typename Name>
    std::optional<Element> OpenNamed(Name name, bool haveFields);

    std::vector<Element> m_open;
    bool m_rowsStarted = false;
};

}  // namespace korvex::xmlpacket
