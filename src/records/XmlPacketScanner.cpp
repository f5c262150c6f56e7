#include "records/XmlPacketScanner.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "records/WholeNumber.h"

namespace korvex::xmlpacket {
namespace {

constexpr std::size_t kChunkBytes = 256 * 1024;
// The general parser refuses a token of more than a megabyte. The scanner holds at most this much of one
// tag, after at most kMaxBlanks blanks, and leaves anything longer to that parser: it never sees a
// refusal for size that the general parser would make.
constexpr std::size_t kBufferBytes = 512 * 1024;
constexpr std::size_t kMaxBlanks = 256 * 1024;

// The declarations the writer and its kin put at the very start.
constexpr std::array<std::string_view, 2> kDeclarations = {
    "<?xml version=\"1.0\" standalone=\"yes\"?>",
    "<?xml version=\"1.0\"?>",
};

constexpr std::string_view kParams = "PARAMS";
constexpr std::string_view kChangeLog = "CHANGE_LOG";
constexpr std::string_view kRowState = "RowState";

enum ByteClass : std::uint8_t {
    kNameStart = 1 << 0,     // letters and "_"
    kNamePart = 1 << 1,      // those, digits, "." and "-"
    kBlank = 1 << 2,         // space, TAB, CR, LF
    kStopsDoubled = 1 << 3,  // ends a run of plain bytes in a value between double quotes
    kStopsSingle = 1 << 4,   // the same between single quotes
};

constexpr std::array<std::uint8_t, 256> MakeClasses()
{
    std::array<std::uint8_t, 256> classes{};
    for (int b = 0; b < 256; ++b) {
        const bool letter = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_';
        const bool digit = b >= '0' && b <= '9';
        auto& c = classes[static_cast<std::size_t>(b)];
        if (letter)
            c |= kNameStart;
        if (letter || digit || b == '.' || b == '-')
            c |= kNamePart;
        // A blank inside a value is read as a space, and "<" is not allowed there: both go to the parser.
        if (b == ' ' || b == '\t' || b == '\r' || b == '\n')
            c |= kBlank;
        if (b == '\t' || b == '\r' || b == '\n' || b == '&' || b == '<') {
            c |= kStopsDoubled;
            c |= kStopsSingle;
        }
    }
    classes['"'] |= kStopsDoubled;
    classes['\''] |= kStopsSingle;
    return classes;
}

constexpr std::array<std::uint8_t, 256> kClasses = MakeClasses();

bool Is(char byte, ByteClass c)
{
    return (kClasses[static_cast<unsigned char>(byte)] & c) != 0;
}

enum class Step : std::uint8_t {
    Done,     // taken whole
    More,     // runs past the bytes at hand: taken again from its start once more are in
    Unsure,   // left to the general parser
    Refused,  // the packet is refused
};

// A character reference of one byte, or a named one; `p` at its "&".
Step ReadReference(const char*& p, const char* end, char& byte)
{
    // The longest taken: "&#x" with eight digits and ";".
    constexpr std::ptrdiff_t kLongest = 12;
    const char* const limit = end - p > kLongest ? p + kLongest : end;
    const auto* semicolon = static_cast<const char*>(std::memchr(p, ';', static_cast<std::size_t>(limit - p)));
    if (!semicolon)
        return limit == end && end - p < kLongest ? Step::More : Step::Unsure;
    const std::string_view body(p + 1, static_cast<std::size_t>(semicolon - p - 1));
    p = semicolon + 1;
    static constexpr std::pair<std::string_view, char> kNamed[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"apos", '\''}, {"quot", '"'}};
    for (const auto& [name, value] : kNamed) {
        if (body == name) {
            byte = value;
            return Step::Done;
        }
    }
    if (body.size() < 2 || body[0] != '#')
        return Step::Unsure;
    const bool hex = body[1] == 'x';
    const std::string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8)
        return Step::Unsure;
    unsigned code = 0;
    for (const char d : digits) {
        unsigned digit = 16;
        if (d >= '0' && d <= '9')
            digit = static_cast<unsigned>(d - '0');
        else if (hex && d >= 'a' && d <= 'f')
            digit = static_cast<unsigned>(d - 'a' + 10);
        else if (hex && d >= 'A' && d <= 'F')
            digit = static_cast<unsigned>(d - 'A' + 10);
        if (digit >= (hex ? 16u : 10u))
            return Step::Unsure;
        code = code * (hex ? 16 : 10) + digit;
    }
    // Characters of one byte that XML allows; the others take the code page's mapping, left to the parser.
    if (!(code == '\t' || code == '\n' || code == '\r' || (code >= 0x20 && code < 0x80)))
        return Step::Unsure;
    byte = static_cast<char>(code);
    return Step::Done;
}

// The value's bytes with its references resolved, at most `limit` of them, appended to `out`.
void AppendValue(std::string_view written, std::size_t limit, std::string& out)
{
    const char* p = written.data();
    const char* const end = p + written.size();
    for (std::size_t taken = 0; taken < limit && p < end; ++taken) {
        if (*p != '&') {
            out.push_back(*p++);
            continue;
        }
        char byte = 0;
        ReadReference(p, end, byte);
        out.push_back(byte);
    }
}

// Whether the value, references resolved, holds only ASCII characters: bytes of the code page above
// them and the control bytes the parser sees as other characters compare and convert differently.
bool AsciiOnly(std::string_view written)
{
    return std::all_of(written.begin(), written.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= 0x20 && b < 0x80;
    });
}

bool HasRepeats(std::vector<std::string_view>& names)
{
    if (names.size() <= 8) {
        for (std::size_t i = 0; i < names.size(); ++i)
            for (std::size_t j = i + 1; j < names.size(); ++j)
                if (names[i] == names[j])
                    return true;
        return false;
    }
    std::sort(names.begin(), names.end());
    return std::adjacent_find(names.begin(), names.end()) != names.end();
}

struct Attribute {
    std::string_view name;
    std::string_view written;  // the value as it stands between its quotes
    bool plain;                // without references: the written bytes are the value
};

class Scanner {
public:
    Scanner(QIODevice& in, PacketTable& table)
        : m_in(in)
        , m_table(table)
        , m_buffer(kBufferBytes)
    {
    }

    ScanOutcome Run();

private:
    enum class Fill : std::uint8_t { Data, End, Unsure };
    Fill Refill();
    Step TakeDeclaration();
    Step TakeStartTag();
    Step TakeEndTag();
    Step TakeAttributes(char*& p, char*& end, bool params, bool& empty);
    Step SkipChangeLog(char*& p, char*& end);
    Step AddField();
    Step AddRow();
    std::string_view Value(const Attribute& attribute, std::string& scratch) const;

    QIODevice& m_in;
    PacketTable& m_table;
    std::vector<char> m_buffer;
    std::size_t m_at = 0;   // the next byte to take
    std::size_t m_end = 0;  // the end of the bytes read
    PacketNesting m_nesting;
    std::vector<std::string> m_openNames;
    std::vector<Attribute> m_attributes;
    std::vector<std::string_view> m_names;
    std::map<std::string, int, std::less<>> m_fieldIndex;
    std::vector<std::uint32_t> m_fieldSeen;  // the row in which each field last had a value
    std::uint32_t m_rowMark = 0;
    bool m_closed = false;  // the root element has ended
    RowCells m_row;
    std::string m_scratch;
};

Scanner::Fill Scanner::Refill()
{
    if (m_at > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_at, m_end - m_at);
        m_end -= m_at;
        m_at = 0;
    }
    const std::size_t room = std::min(m_buffer.size() - m_end, kChunkBytes);
    if (room == 0)
        return Fill::Unsure;  // a tag longer than the scanner holds
    const qint64 got = m_in.read(m_buffer.data() + m_end, static_cast<qint64>(room));
    if (got < 0)
        return Fill::Unsure;
    if (got == 0)
        return Fill::End;
    m_end += static_cast<std::size_t>(got);
    return Fill::Data;
}

Step Scanner::TakeDeclaration()
{
    const std::string_view at(m_buffer.data() + m_at, m_end - m_at);
    for (const std::string_view declaration : kDeclarations) {
        if (at.starts_with(declaration)) {
            m_at += declaration.size();
            return Step::Done;
        }
    }
    for (const std::string_view declaration : kDeclarations) {
        if (declaration.starts_with(at))
            return Step::More;
    }
    return Step::Unsure;
}

// A name of ASCII letters, digits, "_", "." and "-" that starts with a letter or "_"; names starting with
// "xml", reserved, go to the parser.
Step TakeName(char*& p, const char* end)
{
    const char* const start = p;
    if (p == end)
        return Step::More;
    if (!Is(*p, kNameStart))
        return Step::Unsure;
    while (p < end && Is(*p, kNamePart))
        ++p;
    if (p == end)
        return Step::More;
    if (p - start >= 3 && (start[0] | 0x20) == 'x' && (start[1] | 0x20) == 'm' && (start[2] | 0x20) == 'l')
        return Step::Unsure;
    return Step::Done;
}

Step TakeBlanks(char*& p, const char* end)
{
    while (p < end && Is(*p, kBlank))
        ++p;
    return p == end ? Step::More : Step::Done;
}

Step Scanner::TakeStartTag()
{
    char* const bytes = m_buffer.data();
    char* end = bytes + m_end;
    char* p = bytes + m_at + 1;
    const char* const nameStart = p;
    if (const Step step = TakeName(p, end); step != Step::Done)
        return step;
    const std::string_view name(nameStart, static_cast<std::size_t>(p - nameStart));
    bool empty = false;
    const Step step = TakeAttributes(p, end, name == kParams, empty);
    m_end = static_cast<std::size_t>(end - bytes);  // less the change list's digits, where they were dropped
    if (step != Step::Done)
        return step;

    const auto element = m_nesting.Open(name, !m_table.fields.empty());
    if (!element)
        return Step::Refused;
    if (*element == Element::Row) {
        if (const Step added = AddRow(); added != Step::Done)
            return added;
    } else {
        m_names.clear();
        for (const Attribute& attribute : m_attributes)
            m_names.push_back(attribute.name);
        if (HasRepeats(m_names))
            return Step::Unsure;
        if (*element == Element::Field) {
            if (const Step added = AddField(); added != Step::Done)
                return added;
        }
    }
    if (empty) {
        m_nesting.Close();
        m_closed = !m_nesting.AnyOpen();
    } else {
        m_openNames.emplace_back(name);
    }
    m_at = static_cast<std::size_t>(p - bytes);
    return Step::Done;
}

Step Scanner::TakeEndTag()
{
    char* const bytes = m_buffer.data();
    const char* const end = bytes + m_end;
    char* p = bytes + m_at + 2;
    const char* const nameStart = p;
    if (const Step step = TakeName(p, end); step != Step::Done)
        return step;
    const std::string_view name(nameStart, static_cast<std::size_t>(p - nameStart));
    if (const Step step = TakeBlanks(p, end); step != Step::Done)
        return step;
    if (*p != '>' || m_openNames.empty() || m_openNames.back() != name)
        return Step::Unsure;
    m_openNames.pop_back();
    m_nesting.Close();
    m_closed = !m_nesting.AnyOpen();
    m_at = static_cast<std::size_t>(p + 1 - bytes);
    return Step::Done;
}

// The attributes up to the tag's end, into m_attributes; `empty` when the tag closes its element too.
Step Scanner::TakeAttributes(char*& p, char*& end, bool params, bool& empty)
{
    m_attributes.clear();
    for (;;) {
        const char* const previousEnd = p;
        if (const Step step = TakeBlanks(p, end); step != Step::Done)
            return step;
        if (*p == '>' || *p == '/') {
            empty = *p == '/';
            if (empty && ++p == end)
                return Step::More;
            if (*p != '>')
                return Step::Unsure;
            ++p;
            return Step::Done;
        }
        if (p == previousEnd)
            return Step::Unsure;  // attributes stand apart by blanks
        const char* const nameStart = p;
        if (const Step step = TakeName(p, end); step != Step::Done)
            return step;
        const std::string_view name(nameStart, static_cast<std::size_t>(p - nameStart));
        const char* const nameEnd = p;
        if (const Step step = TakeBlanks(p, end); step != Step::Done)
            return step;
        if (*p++ != '=')
            return Step::Unsure;
        if (const Step step = TakeBlanks(p, end); step != Step::Done)
            return step;
        const char quote = *p++;
        if (quote != '"' && quote != '\'')
            return Step::Unsure;
        // The change list, written as ` CHANGE_LOG="`, is read without its digits however long it is.
        if (params && name == kChangeLog && nameStart[-1] == ' ' && p == nameEnd + 2 && quote == '"') {
            if (const Step step = SkipChangeLog(p, end); step != Step::Done)
                return step;
            m_attributes.push_back({name, {}, true});
            continue;
        }
        const ByteClass stops = quote == '"' ? kStopsDoubled : kStopsSingle;
        const char* const valueStart = p;
        bool plain = true;
        for (;;) {
            while (p < end && !Is(*p, stops))
                ++p;
            if (p == end)
                return Step::More;
            if (*p == quote)
                break;
            if (*p != '&')
                return Step::Unsure;
            plain = false;
            char byte = 0;
            const char* at = p;
            if (const Step step = ReadReference(at, end, byte); step != Step::Done)
                return step;
            p += at - p;
        }
        m_attributes.push_back({name, {valueStart, static_cast<std::size_t>(p - valueStart)}, plain});
        ++p;
    }
}

// Drops the change list's digits and blanks from the buffer up to its closing quote, and takes the quote.
Step Scanner::SkipChangeLog(char*& p, char*& end)
{
    char* digitsEnd = p;
    while (digitsEnd < end && ((*digitsEnd >= '0' && *digitsEnd <= '9') || *digitsEnd == ' '))
        ++digitsEnd;
    if (digitsEnd < end && *digitsEnd != '"')
        return Step::Refused;  // not a list of numbers
    std::memmove(p, digitsEnd, static_cast<std::size_t>(end - digitsEnd));
    end -= digitsEnd - p;
    if (p == end)
        return Step::More;
    ++p;
    return Step::Done;
}

std::string_view Scanner::Value(const Attribute& attribute, std::string& scratch) const
{
    if (attribute.plain)
        return attribute.written;
    scratch.clear();
    AppendValue(attribute.written, attribute.written.size(), scratch);
    return scratch;
}

Step Scanner::AddField()
{
    const auto find = [this](std::string_view name) -> const Attribute* {
        for (const Attribute& attribute : m_attributes)
            if (attribute.name == name)
                return &attribute;
        return nullptr;
    };
    const Attribute* const name = find("attrname");
    const Attribute* const type = find("fieldtype");
    if (name && !AsciiOnly(name->written))
        return Step::Unsure;
    std::string fieldName(name ? Value(*name, m_scratch) : std::string_view());
    if (fieldName.empty() || m_table.fields.size() >= kMaxFields || m_fieldIndex.contains(fieldName))
        return Step::Refused;
    FieldDef field{fieldName, FieldType::Integer, 0};
    const std::string_view typeName = type && AsciiOnly(type->written) ? Value(*type, m_scratch) : "";
    if (typeName == "string") {
        const Attribute* const width = find("WIDTH");
        const auto size = ParseWholeNumber(width ? Value(*width, m_scratch) : "");
        if (!size || *size < 1 || *size > kMaxWidth)
            return Step::Refused;
        field.type = FieldType::Text;
        field.size = *size;
    } else if (typeName != "i4") {
        return Step::Refused;
    }
    m_fieldIndex.emplace(std::move(fieldName), static_cast<int>(m_table.fields.size()));
    m_table.fields.push_back(std::move(field));
    return Step::Done;
}

Step Scanner::AddRow()
{
    const std::vector<FieldDef>& fields = m_table.fields;
    m_row.Reset(fields.size());
    m_fieldSeen.resize(fields.size());
    ++m_rowMark;
    m_names.clear();
    bool refused = false;
    std::size_t expected = 0;
    for (const Attribute& attribute : m_attributes) {
        // Values go by name; attributes normally follow the field order, so the next field is tried first.
        int field = -1;
        int index = -1;
        if (expected < fields.size() && attribute.name == fields[expected].name) {
            field = index = static_cast<int>(expected);
        } else {
            const auto found = m_fieldIndex.find(attribute.name);
            field = found == m_fieldIndex.end() ? -1 : found->second;
            index = attribute.name == kRowState ? -1 : field;  // the row's state, even where a field has its name
        }
        if (field < 0) {
            m_names.push_back(attribute.name);
        } else if (m_fieldSeen[static_cast<std::size_t>(field)] == m_rowMark) {
            return Step::Unsure;  // a repeated attribute
        } else {
            m_fieldSeen[static_cast<std::size_t>(field)] = m_rowMark;
        }
        if (index < 0 || refused)
            continue;
        expected = static_cast<std::size_t>(index) + 1;

        const auto at = static_cast<std::size_t>(index);
        const FieldDef& def = fields[at];
        if (def.type == FieldType::Integer) {
            const auto number = ParseWholeNumber(Value(attribute, m_scratch));
            refused = !number;
            if (number)
                m_row.SetInteger(at, *number);
        } else {
            std::string& texts = m_row.Texts();
            const std::size_t start = texts.size();
            const auto limit = static_cast<std::size_t>(def.size);
            if (attribute.plain)
                texts.append(attribute.written.substr(0, limit));
            else
                AppendValue(attribute.written, limit, texts);
            m_row.SetTextFrom(at, start);
        }
    }
    if (HasRepeats(m_names))
        return Step::Unsure;
    if (refused)
        return Step::Refused;
    m_row.AppendTo(m_table);
    return Step::Done;
}

ScanOutcome Scanner::Run()
{
    bool atStart = true;
    std::size_t blanks = 0;
    for (;;) {
        const char* const bytes = m_buffer.data();
        while (m_at < m_end && Is(bytes[m_at], kBlank)) {
            ++m_at;
            ++blanks;
            atStart = false;
        }
        if (blanks > kMaxBlanks)
            return ScanOutcome::Unsure;
        Step step = Step::More;
        if (m_at < m_end) {
            if (bytes[m_at] != '<' || m_closed)
                return ScanOutcome::Unsure;  // text, or anything after the packet
            if (m_end - m_at < 2)
                step = Step::More;
            else if (atStart && bytes[m_at + 1] == '?')
                step = TakeDeclaration();
            else if (bytes[m_at + 1] == '/')
                step = TakeEndTag();
            else
                step = TakeStartTag();
        }
        switch (step) {
        case Step::Done:
            atStart = false;
            blanks = 0;
            break;
        case Step::More:
            switch (Refill()) {
            case Fill::Data:
                break;
            case Fill::Unsure:
                return ScanOutcome::Unsure;
            case Fill::End:
                if (!m_closed)
                    return ScanOutcome::Refused;  // the packet ends before its last tag
                return m_table.fields.empty() ? ScanOutcome::Refused : ScanOutcome::Read;
            }
            break;
        case Step::Unsure:
            return ScanOutcome::Unsure;
        case Step::Refused:
            return ScanOutcome::Refused;
        }
    }
}

}  // namespace

ScanOutcome ScanPacket(QIODevice& in, PacketTable& table)
{
    return Scanner(in, table).Run();
}

}  // namespace korvex::xmlpacket
