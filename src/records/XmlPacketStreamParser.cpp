#include "records/XmlPacketStreamParser.h"

#include <QHash>
#include <QString>
#include <QXmlStreamReader>
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "meter/Windows1252.h"
#include "records/WholeNumber.h"

namespace korvex::xmlpacket {
namespace {

constexpr qint64 kChunkBytes = 256 * 1024;
// A bound that no token of the record table's packets comes near; it keeps hostile files from filling memory.
constexpr qint64 kMaxTokenBytes = 1 << 20;

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

    bool Parse(PacketTable& table);

private:
    QXmlStreamReader::TokenType Next();
    bool Feed();
    void Track(unsigned char byte);
    bool AddField(PacketTable& table);
    bool AddRow(PacketTable& table);

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
    RowCells m_row;
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

bool PacketParser::Parse(PacketTable& table)
{
    PacketNesting nesting;
    for (;;) {
        switch (Next()) {
        case QXmlStreamReader::EndDocument:
            return !table.fields.empty();
        case QXmlStreamReader::StartElement: {
            const auto element = nesting.Open(m_xml.name(), !table.fields.empty());
            if (!element || (*element == Element::Field && !AddField(table)) ||
                (*element == Element::Row && !AddRow(table)))
                return false;
            break;
        }
        case QXmlStreamReader::EndElement:
            nesting.Close();
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

bool PacketParser::AddField(PacketTable& table)
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

bool PacketParser::AddRow(PacketTable& table)
{
    m_row.Reset(table.fields.size());

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
            m_row.SetInteger(at, *number);
        } else {
            const std::size_t start = m_row.Texts().size();
            AppendBytes(attribute.value(), static_cast<std::size_t>(field.size), m_row.Texts());
            m_row.SetTextFrom(at, start);
        }
    }
    m_row.AppendTo(table);
    return true;
}

}  // namespace

bool ParseWithStreamReader(QIODevice& in, PacketTable& table)
{
    return PacketParser(in).Parse(table);
}

}  // namespace korvex::xmlpacket
