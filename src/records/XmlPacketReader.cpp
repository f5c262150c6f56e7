#include "records/XmlPacketReader.h"

#include <QHash>
#include <QString>
#include <QXmlStreamReader>
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "meter/Windows1252.h"
#include "records/WholeNumber.h"

namespace korvex {
namespace {

constexpr qint64 kChunkBytes = 256 * 1024;
// Bounds that no packet of the record table comes near; they keep hostile files from filling memory.
constexpr qint64 kMaxTokenBytes = 1 << 20;
constexpr std::size_t kMaxDepth = 64;
constexpr std::size_t kMaxFields = 4096;
constexpr int kMaxWidth = 65535;

// XML does not allow most control characters, yet the writer puts a text's bytes out as they are.
// The parser therefore sees those bytes as characters of the private use area, and they turn back into
// the same bytes afterwards.
constexpr char16_t kControlStandIn = 0xE000;

// The list of pending changes grows with every row, to megabytes in one attribute. A read does not use
// it (the rows become new changes of the target), so its digits are dropped before the parser sees them
// and the bound on a single token still holds. Only the PARAMS start tag carries the list: a row value
// may end in the same bytes, so the skip is armed inside that tag alone, outside its quoted values.
constexpr std::string_view kChangeLogStart = " CHANGE_LOG=\"";
constexpr std::string_view kParamsName = "PARAMS";

bool IsStandInControl(unsigned char byte)
{
    return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r';
}

// A byte that goes to the parser as it is and opens no tag.
bool IsPlainCharacter(unsigned char byte)
{
    return byte > ' ' && byte < 0x80 && byte != '<';
}

bool IsXmlBlank(unsigned char byte)
{
    return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n';
}

// Length of the run of plain characters at the start of [from, end), looked at eight bytes at a time.
std::size_t PlainRun(const char* from, const char* end)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    const char* at = from;
    while (end - at >= 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, at, sizeof word);
        // High bit of a byte at 0x80 or above, of a byte below 0x21 (the subtraction borrows into it),
        // or of a "<" (zero after the exclusive or).
        const std::uint64_t lessThans = word ^ (kOnes * '<');
        if (((word | ((word - kOnes * 0x21) & ~word) | ((lessThans - kOnes) & ~lessThans)) & kHighBits) != 0)
            break;
        at += 8;
    }
    while (at < end && IsPlainCharacter(static_cast<unsigned char>(*at)))
        ++at;
    return static_cast<std::size_t>(at - from);
}

// Whether every byte of [from, end) is a digit or a blank, as the change list's are.
bool OnlyDigitsAndBlanks(const char* from, const char* end)
{
    bool all = true;
    for (const char* at = from; at < end; ++at) {
        const auto b = static_cast<unsigned char>(*at);
        all &= (b >= '0' && b <= '9') || b == ' ';
    }
    return all;
}

bool SameName(QStringView a, QStringView b)
{
    return a.size() == b.size() && std::memcmp(a.utf16(), b.utf16(), static_cast<std::size_t>(a.size()) * 2) == 0;
}

// UTF-8 form in which each file byte is handed to the parser.
struct ByteToUtf8 {
    std::array<std::array<char, 3>, 256> bytes{};
    std::array<std::uint8_t, 256> length{};
};

const ByteToUtf8& Utf8OfBytes()
{
    static const ByteToUtf8 table = [] {
        ByteToUtf8 t;
        for (int b = 0; b < 256; ++b) {
            const char one = static_cast<char>(b);
            const QString character = IsStandInControl(static_cast<unsigned char>(b))
                                          ? QString(QChar(kControlStandIn + b))
                                          : FromWindows1252(std::string_view(&one, 1));
            const QByteArray utf8 = character.toUtf8();
            t.length[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(utf8.size());
            std::memcpy(t.bytes[static_cast<std::size_t>(b)].data(), utf8.constData(),
                        static_cast<std::size_t>(utf8.size()));
        }
        return t;
    }();
    return table;
}

// Windows-1252 byte of every UTF-16 unit ("?" for what the code page lacks), stand-ins mapped back.
const std::array<char, 0x10000>& BytesOfUnits()
{
    static const auto table = [] {
        auto t = std::make_unique<std::array<char, 0x10000>>();
        for (int unit = 0; unit < 0x10000; ++unit)
            (*t)[static_cast<std::size_t>(unit)] = ToWindows1252(QString(QChar(static_cast<char16_t>(unit))))[0];
        for (int b = 0; b < 0x20; ++b)
            (*t)[kControlStandIn + static_cast<std::size_t>(b)] = static_cast<char>(b);
        return t;
    }();
    return *table;
}

// Appends the text's Windows-1252 bytes to `out`, at most `limit` of them.
void AppendBytes(QStringView text, std::size_t limit, std::string& out)
{
    const auto& bytes = BytesOfUnits();
    const std::size_t start = out.size();
    out.resize(start + std::min(static_cast<std::size_t>(text.size()), limit));
    char* to = out.data() + start;
    char* const full = out.data() + out.size();
    const char16_t* unit = text.utf16();
    const char16_t* const end = unit + text.size();
    while (to < full && unit < end) {
        const char16_t u = *unit++;
        *to++ = u < 0x80 ? static_cast<char>(u) : bytes[u];
        // A character outside the basic plane is one "?", not two.
        if (QChar::isHighSurrogate(u) && unit < end && QChar::isLowSurrogate(*unit))
            ++unit;
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
}

void ToBytes(QStringView text, std::string& out)
{
    out.clear();
    AppendBytes(text, static_cast<std::size_t>(text.size()), out);
}

// The packet as read: its fields and its rows, each row a run of cells, one per field:
// a tag byte (0 missing, 1 integer of 4 bytes, 2 text with a 4-byte length), then the value.
// Rows are kept in pieces that are never grown past what they reserved, so a large packet is not copied
// again and again as it grows; a row never straddles two pieces.
struct TemporaryTable {
    std::vector<FieldDef> fields;
    std::vector<std::string> pieces;
    std::size_t rows = 0;
};

constexpr std::size_t kPieceBytes = 1 << 20;

enum class Tag : char {
    Missing = 0,  // no value
    Integer = 1,  // 32-bit integer follows
    Text = 2,     // 32-bit length and the bytes follow
};

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

Element Classify(Element parent, QStringView name)
{
    switch (parent) {
    case Element::Packet:
        if (name == u"METADATA")
            return Element::Metadata;
        if (name == u"ROWDATA")
            return Element::RowData;
        break;
    case Element::Metadata:
        if (name == u"FIELDS")
            return Element::Fields;
        if (name == u"PARAMS")
            return Element::Params;
        break;
    case Element::Fields:
        if (name == u"FIELD")
            return Element::Field;
        break;
    case Element::RowData:
        if (name == u"ROW")
            return Element::Row;
        break;
    default:
        break;
    }
    return Element::Other;
}

// Where the bytes fed to the parser stand, as far as finding the change list needs to know.
enum class Markup : std::uint8_t {
    Outside,    // text, or a tag other than PARAMS
    TagName,    // just after "<": is this the PARAMS start tag?
    ParamsTag,  // inside the PARAMS start tag
};

class PacketParser {
public:
    explicit PacketParser(QIODevice& in)
        : m_in(in)
        , m_chunk(kChunkBytes)
    {
        // Locks the parser to the bytes as we decode them, whatever the declaration claims.
        m_xml.addData(QString());
        m_xml.setNamespaceProcessing(false);
    }

    bool Parse(TemporaryTable& table);

private:
    QXmlStreamReader::TokenType Next();
    bool Feed();
    void Track(unsigned char byte);
    bool AddField(TemporaryTable& table);
    bool AddRow(TemporaryTable& table);

    QIODevice& m_in;
    QXmlStreamReader m_xml;
    std::vector<char> m_chunk;
    QByteArray m_utf8;
    qint64 m_fedSinceToken = 0;
    Markup m_markup = Markup::Outside;
    std::size_t m_nameMatched = 0;
    char m_quote = 0;  // the quote of the PARAMS value being read, 0 between values
    std::size_t m_changeLogMatched = 0;
    bool m_inChangeLog = false;
    QHash<QString, int> m_fieldIndex;
    QStringList m_fieldNames;
    std::vector<Tag> m_rowTags;
    std::vector<std::int32_t> m_rowIntegers;
    // The row's texts, one after the other in m_rowText, each at its offset with its length.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_rowTextAt;
    std::string m_rowText;
    std::string m_value;
};

bool PacketParser::Feed()
{
    const qint64 got = m_in.read(m_chunk.data(), kChunkBytes);
    if (got <= 0)
        return false;
    const ByteToUtf8& utf8 = Utf8OfBytes();
    m_utf8.resize(got * 3);
    char* out = m_utf8.data();
    qint64 kept = 0;
    const char* const bytes = m_chunk.data();
    for (qint64 i = 0; i < got; ++i) {
        if (m_inChangeLog) {
            // Its digits are dropped up to the closing quote, which goes on and ends the value.
            const void* quote = std::memchr(bytes + i, '"', static_cast<std::size_t>(got - i));
            const char* const stop = quote ? static_cast<const char*>(quote) : bytes + got;
            if (!OnlyDigitsAndBlanks(bytes + i, stop))
                return false;  // not a list of numbers
            i = stop - bytes;
            if (i == got)
                break;
            m_inChangeLog = false;
            *out++ = '"';
            ++kept;
            continue;
        }
        if (m_markup == Markup::Outside) {
            // A run of characters that open no tag and need no converting.
            const auto run = static_cast<qint64>(PlainRun(bytes + i, bytes + got));
            std::memcpy(out, bytes + i, static_cast<std::size_t>(run));
            out += run;
            kept += run;
            i += run;
            if (i == got)
                break;
        }
        const auto b = static_cast<unsigned char>(bytes[i]);
        ++kept;
        Track(b);
        if (b < 0x80 && !IsStandInControl(b)) {
            *out++ = static_cast<char>(b);
            continue;
        }
        std::memcpy(out, utf8.bytes[b].data(), utf8.length[b]);
        out += utf8.length[b];
    }
    m_utf8.resize(out - m_utf8.data());
    m_xml.addData(m_utf8);
    m_fedSinceToken += kept;
    return true;
}

// Follows the tags far enough to find the change list in the PARAMS start tag. Where the bytes are not
// well-formed the parser refuses them anyway; this only has to be right for those it accepts.
void PacketParser::Track(unsigned char byte)
{
    switch (m_markup) {
    case Markup::Outside:
        if (byte == '<') {
            m_markup = Markup::TagName;
            m_nameMatched = 0;
        }
        break;
    case Markup::TagName:
        if (m_nameMatched < kParamsName.size() && byte == static_cast<unsigned char>(kParamsName[m_nameMatched])) {
            ++m_nameMatched;
        } else if (m_nameMatched == kParamsName.size() && (IsXmlBlank(byte) || byte == '/')) {
            m_markup = Markup::ParamsTag;
            m_quote = 0;
            m_changeLogMatched = byte == ' ' ? 1 : 0;
        } else {
            m_markup = byte == '<' ? Markup::TagName : Markup::Outside;
            m_nameMatched = 0;
        }
        break;
    case Markup::ParamsTag:
        if (m_quote != 0) {
            if (byte == static_cast<unsigned char>(m_quote))
                m_quote = 0;
            break;
        }
        if (byte == static_cast<unsigned char>(kChangeLogStart[m_changeLogMatched])) {
            // The quote that completes the name opens the value that the skip reads.
            if (++m_changeLogMatched == kChangeLogStart.size()) {
                m_inChangeLog = true;
                m_changeLogMatched = 0;
            }
            break;
        }
        m_changeLogMatched = byte == ' ' ? 1 : 0;
        if (byte == '"' || byte == '\'')
            m_quote = static_cast<char>(byte);
        else if (byte == '>')
            m_markup = Markup::Outside;
        break;
    }
}

QXmlStreamReader::TokenType PacketParser::Next()
{
    for (;;) {
        const auto token = m_xml.readNext();
        if (token != QXmlStreamReader::Invalid) {
            m_fedSinceToken = 0;
            return token;
        }
        if (m_xml.error() != QXmlStreamReader::PrematureEndOfDocumentError || m_fedSinceToken > kMaxTokenBytes ||
            !Feed())
            return QXmlStreamReader::Invalid;
    }
}

bool PacketParser::Parse(TemporaryTable& table)
{
    std::vector<Element> open;
    bool rowsStarted = false;
    for (;;) {
        switch (Next()) {
        case QXmlStreamReader::EndDocument:
            return !table.fields.empty();
        case QXmlStreamReader::StartElement: {
            if (open.size() >= kMaxDepth)
                return false;
            Element element = Element::Packet;
            if (open.empty()) {
                if (m_xml.name() != u"DATAPACKET")
                    return false;
            } else {
                element = Classify(open.back(), m_xml.name());
            }
            if (element == Element::Field && (rowsStarted || !AddField(table)))
                return false;
            if (element == Element::Row) {
                rowsStarted = true;
                if (table.fields.empty() || !AddRow(table))
                    return false;
            }
            open.push_back(element);
            break;
        }
        case QXmlStreamReader::EndElement:
            open.pop_back();
            break;
        case QXmlStreamReader::Invalid:
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::EntityReference:
            return false;
        default:
            break;  // the declaration, blanks between elements, comments, processing instructions
        }
    }
}

bool PacketParser::AddField(TemporaryTable& table)
{
    const QXmlStreamAttributes attributes = m_xml.attributes();
    const QString name = attributes.value(QLatin1String("attrname")).toString();
    const QStringView type = attributes.value(QLatin1String("fieldtype"));
    if (name.isEmpty() || table.fields.size() >= kMaxFields || m_fieldIndex.contains(name))
        return false;
    FieldDef field{ToWindows1252(name), FieldType::Integer, 0};
    if (type == u"string") {
        ToBytes(attributes.value(QLatin1String("WIDTH")), m_value);
        const auto width = ParseWholeNumber(m_value);
        if (!width || *width < 1 || *width > kMaxWidth)
            return false;
        field.type = FieldType::Text;
        field.size = *width;
    } else if (type != u"i4") {
        return false;
    }
    m_fieldIndex.insert(name, static_cast<int>(table.fields.size()));
    m_fieldNames.append(name);
    table.fields.push_back(std::move(field));
    return true;
}

bool PacketParser::AddRow(TemporaryTable& table)
{
    const std::size_t fieldCount = table.fields.size();
    m_rowTags.assign(fieldCount, Tag::Missing);
    m_rowIntegers.resize(fieldCount);
    m_rowTextAt.resize(fieldCount);
    m_rowText.clear();

    // Attributes normally follow the field order, so the next field is tried before the lookup.
    // Held const, the list is shared with the parser rather than copied.
    const QXmlStreamAttributes attributes = m_xml.attributes();
    qsizetype expected = 0;
    for (const QXmlStreamAttribute& attribute : attributes) {
        const QStringView name = attribute.name();
        int index = -1;
        if (expected < m_fieldNames.size() && SameName(name, m_fieldNames[expected]))
            index = static_cast<int>(expected);
        else if (!SameName(name, u"RowState"))
            index = m_fieldIndex.value(name.toString(), -1);
        if (index < 0)
            continue;  // RowState and attributes of no field
        expected = index + 1;

        const auto at = static_cast<std::size_t>(index);
        const FieldDef& field = table.fields[at];
        if (field.type == FieldType::Integer) {
            ToBytes(attribute.value(), m_value);
            const auto number = ParseWholeNumber(m_value);
            if (!number)
                return false;
            m_rowIntegers[at] = *number;
            m_rowTags[at] = Tag::Integer;
        } else {
            const std::size_t start = m_rowText.size();
            AppendBytes(attribute.value(), static_cast<std::size_t>(field.size), m_rowText);
            m_rowTextAt[at] = {static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(m_rowText.size() - start)};
            m_rowTags[at] = Tag::Text;
        }
    }

    std::size_t rowBytes = fieldCount + m_rowText.size();
    for (std::size_t f = 0; f < fieldCount; ++f) {
        if (m_rowTags[f] != Tag::Missing)
            rowBytes += sizeof(std::uint32_t);
    }
    if (table.pieces.empty() || table.pieces.back().capacity() - table.pieces.back().size() < rowBytes) {
        table.pieces.emplace_back();
        table.pieces.back().reserve(std::max(kPieceBytes, rowBytes));
    }
    std::string& cells = table.pieces.back();
    for (std::size_t f = 0; f < fieldCount; ++f) {
        cells.push_back(static_cast<char>(m_rowTags[f]));
        if (m_rowTags[f] == Tag::Integer) {
            cells.append(reinterpret_cast<const char*>(&m_rowIntegers[f]), sizeof(std::int32_t));
        } else if (m_rowTags[f] == Tag::Text) {
            const auto [start, length] = m_rowTextAt[f];
            cells.append(reinterpret_cast<const char*>(&length), sizeof length);
            cells.append(m_rowText, start, length);
        }
    }
    ++table.rows;
    return true;
}

// Appends the temporary table's rows to the target by field position. A value that the target's field
// cannot take makes the engine throw; the caller turns that into a failed read.
bool CopyByPosition(const TemporaryTable& source, TTable& target)
{
    if (source.rows > 0 && source.fields.size() > static_cast<std::size_t>(target.FieldCount()))
        return false;
    std::vector<CellValue> row(source.fields.size());
    for (const std::string& piece : source.pieces) {
        const char* at = piece.data();
        const char* const end = at + piece.size();
        while (at < end) {
            for (CellValue& cell : row) {
                const auto tag = static_cast<Tag>(*at++);
                if (tag == Tag::Integer) {
                    cell.kind = CellValue::Kind::Integer;
                    std::memcpy(&cell.integer, at, sizeof cell.integer);
                    at += sizeof cell.integer;
                } else if (tag == Tag::Text) {
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

}  // namespace

bool ReadXmlDataPacket(QIODevice& in, TTable& target)
{
    TemporaryTable packet;
    if (!PacketParser(in).Parse(packet))
        return false;
    return CopyByPosition(packet, target);
}

}  // namespace korvex
