#include "records/TableEngine.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace korvex {
namespace {

// Rows are packed into blocks of this size; a row never straddles two blocks.
constexpr std::size_t kBlockSize = 256 * 1024;

char FoldCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldCase(x) == FoldCase(y); });
}

std::size_t NullMaskSize(std::size_t fieldCount)
{
    return (fieldCount + 7) / 8;
}

// Text lengths are stored as 7-bit groups, low group first, so short texts cost one byte.
std::size_t LengthPrefixSize(std::size_t length)
{
    std::size_t size = 1;
    while (length >= 0x80) {
        length >>= 7;
        ++size;
    }
    return size;
}

char* WriteLength(char* out, std::size_t length)
{
    while (length >= 0x80) {
        *out++ = static_cast<char>((length & 0x7F) | 0x80);
        length >>= 7;
    }
    *out++ = static_cast<char>(length);
    return out;
}

const char* ReadLength(const char* in, std::size_t& length)
{
    length = 0;
    int shift = 0;
    for (;;) {
        const auto byte = static_cast<unsigned char>(*in++);
        length |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0)
            return in;
        shift += 7;
    }
}

std::string_view CutAndTrim(std::string_view bytes, int width)
{
    bytes = bytes.substr(0, static_cast<std::size_t>(width));
    while (!bytes.empty() && bytes.back() == ' ')
        bytes.remove_suffix(1);
    return bytes;
}

// The whole number a text names: optional sign, then decimal digits within 32 bits.
std::int32_t ParseIntegerText(std::string_view bytes)
{
    std::string_view digits = bytes;
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || digits.front() == '+' || error != std::errc() || end != digits.data() + digits.size())
        throw std::invalid_argument("'" + std::string(bytes) + "' is not a valid integer value");
    return value;
}

}  // namespace

TTable::TTable(std::vector<FieldDef> fields)
    : m_fields(std::move(fields))
    , m_edit(m_fields.size())
{
    for (const FieldDef& f : m_fields) {
        if (f.type == FieldType::Text && f.size < 0)
            throw std::invalid_argument("Field '" + f.name + "' has a negative width");
    }
}

const std::vector<FieldDef>& TTable::Fields() const
{
    return m_fields;
}

int TTable::FieldCount() const
{
    return static_cast<int>(m_fields.size());
}

int TTable::FindField(std::string_view name) const
{
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (SameNameIgnoringCase(m_fields[i].name, name))
            return static_cast<int>(i);
    }
    return -1;
}

void TTable::Append()
{
    if (m_editing)
        Post();
    for (EditValue& v : m_edit) {
        v.present = false;
        v.integer = 0;
        v.text.clear();
    }
    m_editing = true;
}

void TTable::SetInteger(int field, std::int32_t value)
{
    CheckEditing();
    CheckField(field);
    const FieldDef& def = m_fields[static_cast<std::size_t>(field)];
    EditValue& v = m_edit[static_cast<std::size_t>(field)];
    if (def.type == FieldType::Integer) {
        v.integer = value;
    } else {
        v.text.assign(CutAndTrim(std::to_string(value), def.size));
    }
    v.present = true;
}

void TTable::SetText(int field, std::string_view bytes)
{
    CheckEditing();
    CheckField(field);
    const FieldDef& def = m_fields[static_cast<std::size_t>(field)];
    EditValue& v = m_edit[static_cast<std::size_t>(field)];
    if (def.type == FieldType::Text) {
        v.text.assign(CutAndTrim(bytes, def.size));
        v.present = true;
        return;
    }
    if (bytes.empty()) {
        v.present = false;
        v.integer = 0;
        return;
    }
    v.integer = ParseIntegerText(bytes);
    v.present = true;
}

void TTable::Post()
{
    if (!m_editing)
        return;
    m_resolved.assign(m_fields.size(), CellValue{});
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const EditValue& v = m_edit[i];
        if (!v.present)
            continue;
        if (m_fields[i].type == FieldType::Integer)
            m_resolved[i] = {CellValue::Kind::Integer, v.integer, {}};
        else
            m_resolved[i] = {CellValue::Kind::Text, 0, v.text};
    }
    StoreRow(m_resolved);
    m_editing = false;
    Notify(static_cast<int>(m_rows.size()) - 1);
}

void TTable::PostRow(std::span<const CellValue> values)
{
    if (m_editing)
        Post();
    if (values.size() > m_fields.size())
        CheckField(FieldCount());

    // Resolve every value to what its field stores before anything is stored, so a bad value stores nothing.
    m_resolved.assign(m_fields.size(), CellValue{});
    m_numberTexts.resize(m_fields.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        const CellValue& value = values[i];
        const FieldDef& def = m_fields[i];
        CellValue& stored = m_resolved[i];
        if (value.kind == CellValue::Kind::Missing)
            continue;
        if (def.type == FieldType::Text) {
            std::string_view text = value.text;
            if (value.kind == CellValue::Kind::Integer) {
                m_numberTexts[i] = std::to_string(value.integer);
                text = m_numberTexts[i];
            }
            stored = {CellValue::Kind::Text, 0, CutAndTrim(text, def.size)};
        } else if (value.kind == CellValue::Kind::Integer) {
            stored = {CellValue::Kind::Integer, value.integer, {}};
        } else if (!value.text.empty()) {
            stored = {CellValue::Kind::Integer, ParseIntegerText(value.text), {}};
        }
    }
    StoreRow(m_resolved);
    Notify(static_cast<int>(m_rows.size()) - 1);
}

void TTable::StoreRow(std::span<const CellValue> values)
{
    if (m_rows.size() >= static_cast<std::size_t>(std::numeric_limits<int>::max()))
        throw std::length_error("The table holds the largest number of rows it can count");

    std::size_t size = NullMaskSize(m_fields.size());
    for (const CellValue& v : values) {
        if (v.kind == CellValue::Kind::Integer)
            size += sizeof(std::int32_t);
        else if (v.kind == CellValue::Kind::Text)
            size += LengthPrefixSize(v.text.size()) + v.text.size();
    }

    RowLocation where = 0;
    char* out = Allocate(size, where);
    char* mask = out;
    std::memset(mask, 0, NullMaskSize(m_fields.size()));
    out += NullMaskSize(m_fields.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        const CellValue& v = values[i];
        if (v.kind == CellValue::Kind::Missing)
            continue;
        mask[i / 8] = static_cast<char>(mask[i / 8] | (1 << (i % 8)));
        if (v.kind == CellValue::Kind::Integer) {
            std::memcpy(out, &v.integer, sizeof v.integer);
            out += sizeof v.integer;
        } else {
            out = WriteLength(out, v.text.size());
            std::memcpy(out, v.text.data(), v.text.size());
            out += v.text.size();
        }
    }

    m_rows.push_back(where);
    m_changeLog.push_back(m_nextSequence++);
}

void TTable::Cancel()
{
    m_editing = false;
}

bool TTable::Editing() const
{
    return m_editing;
}

int TTable::RecordCount() const
{
    return static_cast<int>(m_rows.size());
}

std::int32_t TTable::Integer(int row, int field) const
{
    CheckRow(row);
    CheckField(field);
    if (m_fields[static_cast<std::size_t>(field)].type != FieldType::Integer)
        throw std::logic_error("Field '" + m_fields[static_cast<std::size_t>(field)].name + "' is not an integer");
    const char* bytes = FieldBytes(row, field);
    std::int32_t value = 0;
    if (bytes)
        std::memcpy(&value, bytes, sizeof value);
    return value;
}

std::string_view TTable::Text(int row, int field) const
{
    CheckRow(row);
    CheckField(field);
    if (m_fields[static_cast<std::size_t>(field)].type != FieldType::Text)
        throw std::logic_error("Field '" + m_fields[static_cast<std::size_t>(field)].name + "' is not a text");
    const char* bytes = FieldBytes(row, field);
    if (!bytes)
        return {};
    std::size_t length = 0;
    const char* text = ReadLength(bytes, length);
    return {text, length};
}

void TTable::Texts(int row, std::span<const int> fields, std::span<std::string_view> out) const
{
    CheckRow(row);
    if (out.size() < fields.size())
        throw std::out_of_range("Fewer texts than fields");
    int previous = -1;
    for (const int field : fields) {
        const bool text = field > previous && field < FieldCount() &&
                          m_fields[static_cast<std::size_t>(field)].type == FieldType::Text;
        if (!text)
            throw std::logic_error("Texts takes text fields in ascending order");
        previous = field;
    }
    const char* mask = RowBytes(row);
    auto present = [mask](std::size_t i) { return (static_cast<unsigned char>(mask[i / 8]) >> (i % 8)) & 1u; };
    const char* at = mask + NullMaskSize(m_fields.size());
    std::size_t next = 0;
    for (std::size_t i = 0; next < fields.size(); ++i) {
        const bool wanted = static_cast<std::size_t>(fields[next]) == i;
        if (!present(i)) {
            if (wanted)
                out[next++] = {};
            continue;
        }
        if (m_fields[i].type == FieldType::Integer) {
            at += sizeof(std::int32_t);
            continue;
        }
        std::size_t length = 0;
        const char* text = ReadLength(at, length);
        if (wanted)
            out[next++] = {text, length};
        at = text + length;
    }
}

bool TTable::IsNull(int row, int field) const
{
    CheckRow(row);
    CheckField(field);
    return FieldBytes(row, field) == nullptr;
}

void TTable::EmptyTable()
{
    if (m_editing)
        m_editing = false;
    std::vector<Block>().swap(m_blocks);
    std::vector<RowLocation>().swap(m_rows);
    std::vector<std::int32_t>().swap(m_changeLog);
    m_nextSequence = 1;
    ++m_timesEmptied;
    NotifyReset();
}

std::uint64_t TTable::TimesEmptied() const
{
    return m_timesEmptied;
}

const std::vector<std::int32_t>& TTable::ChangeLog() const
{
    return m_changeLog;
}

void TTable::DisableControls()
{
    ++m_disableCount;
}

void TTable::EnableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount == 0 && OnReset)
        OnReset();
}

bool TTable::ControlsDisabled() const
{
    return m_disableCount > 0;
}

void TTable::CheckField(int field) const
{
    if (field < 0 || field >= FieldCount())
        throw std::out_of_range("Field index " + std::to_string(field) + " out of range");
}

void TTable::CheckRow(int row) const
{
    if (row < 0 || row >= RecordCount())
        throw std::out_of_range("Row index " + std::to_string(row) + " out of range");
}

void TTable::CheckEditing() const
{
    if (!m_editing)
        throw std::logic_error("The table is not in edit mode");
}

const char* TTable::RowBytes(int row) const
{
    const RowLocation where = m_rows[static_cast<std::size_t>(row)];
    return m_blocks[where >> 32].bytes.get() + (where & 0xFFFFFFFFu);
}

const char* TTable::FieldBytes(int row, int field) const
{
    const char* mask = RowBytes(row);
    auto present = [mask](std::size_t i) { return (static_cast<unsigned char>(mask[i / 8]) >> (i % 8)) & 1u; };
    const auto target = static_cast<std::size_t>(field);
    if (!present(target))
        return nullptr;
    const char* at = mask + NullMaskSize(m_fields.size());
    for (std::size_t i = 0; i < target; ++i) {
        if (!present(i))
            continue;
        if (m_fields[i].type == FieldType::Integer) {
            at += sizeof(std::int32_t);
        } else {
            std::size_t length = 0;
            at = ReadLength(at, length) + length;
        }
    }
    return at;
}

char* TTable::Allocate(std::size_t size, RowLocation& where)
{
    if (m_blocks.empty() || m_blocks.back().capacity - m_blocks.back().used < size) {
        Block block;
        block.capacity = std::max(kBlockSize, size);
        block.bytes = std::make_unique_for_overwrite<char[]>(block.capacity);
        m_blocks.push_back(std::move(block));
    }
    Block& block = m_blocks.back();
    where = (static_cast<RowLocation>(m_blocks.size() - 1) << 32) | block.used;
    char* out = block.bytes.get() + block.used;
    block.used += size;
    return out;
}

void TTable::Notify(int row)
{
    if (m_disableCount == 0 && OnRowPosted)
        OnRowPosted(row);
}

void TTable::NotifyReset()
{
    if (m_disableCount == 0 && OnReset)
        OnReset();
}

}  // namespace korvex
