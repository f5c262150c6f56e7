#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// Type of a table field.
enum class FieldType : std::uint8_t {
    Integer,  // 32-bit signed integer
    Text,     // 8-bit text of at most `size` characters
};

struct FieldDef {
    std::string name;
    FieldType type;
    int size;  // width of a text field in characters; 0 for integers
};

// One value of a row handed to TTable::PostRow.
struct CellValue {
    enum class Kind : std::uint8_t {
        Missing,  // the field holds no value
        Integer,  // `integer`, stored as SetInteger stores it
        Text,     // `text`, stored as SetText stores it
    };
    Kind kind = Kind::Missing;
    std::int32_t integer = 0;
    std::string_view text;
};

// An in-memory table with typed fields whose rows are only appended (through an edit row that is posted)
// or all removed at once. It keeps the list of pending changes: the engine's sequence number of every row
// appended since the table was created or last emptied, in order.
class TTable {
public:
    explicit TTable(std::vector<FieldDef> fields);

    const std::vector<FieldDef>& Fields() const;
    int FieldCount() const;
    // Index of the field of that name compared without regard to case, or -1.
    int FindField(std::string_view name) const;

    // Opens an empty edit row; the setters fill it and Post stores it as the last row.
    // An edit row that is still open is posted first.
    void Append();
    void SetInteger(int field, std::int32_t value);
    // On a text field: cut to the field's width, then stored without trailing blanks.
    // On an integer field: an empty text clears the value, a whole number is stored, anything else
    // throws std::invalid_argument and leaves the edit row as it was.
    // SetInteger on a text field stores the number's decimal text.
    void SetText(int field, std::string_view bytes);
    void Post();
    // Stores a whole row in one step, as Append, SetInteger or SetText for every value that is not
    // missing, and Post would; fields past the end of `values` stay missing. When a value does not fit
    // its field it throws what that setter throws, stores nothing, and leaves no edit row open.
    void PostRow(std::span<const CellValue> values);
    void Cancel();
    bool Editing() const;

    int RecordCount() const;  // posted rows
    // A field that was not set before Post holds no value: Integer gives 0, Text an empty text.
    // Reading an integer field as text or a text field as integer throws std::logic_error.
    std::int32_t Integer(int row, int field) const;
    std::string_view Text(int row, int field) const;
    // Text of each of `fields` (text fields, in ascending order) in one pass over the row, for a reader
    // that takes several fields of every row.
    void Texts(int row, std::span<const int> fields, std::span<std::string_view> out) const;
    bool IsNull(int row, int field) const;

    // Removes every row and the list of pending changes.
    void EmptyTable();
    // How many times the table has been emptied: an observer that saw the same count saw no row go.
    std::uint64_t TimesEmptied() const;
    const std::vector<std::int32_t>& ChangeLog() const;

    // While controls are disabled the observers hear nothing; enabling them again reports one reset.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const;

    // Observers (one each; the record grid's model uses them).
    std::function<void(int row)> OnRowPosted;
    std::function<void()> OnReset;

private:
    // Where a posted row's bytes start: block index in the high half, offset in the low half.
    using RowLocation = std::uint64_t;

    struct Block {
        std::unique_ptr<char[]> bytes;
        std::size_t capacity = 0;
        std::size_t used = 0;
    };

    struct EditValue {
        bool present = false;
        std::int32_t integer = 0;
        std::string text;
    };

    void CheckField(int field) const;
    void CheckRow(int row) const;
    void CheckEditing() const;
    const char* RowBytes(int row) const;
    // Start of the field's bytes in the row, or nullptr when the field holds no value.
    const char* FieldBytes(int row, int field) const;
    char* Allocate(std::size_t size, RowLocation& where);
    // Packs one row of resolved values (one per field) and appends it with its change-list entry.
    void StoreRow(std::span<const CellValue> values);
    void Notify(int row);
    void NotifyReset();

    std::vector<FieldDef> m_fields;
    std::vector<EditValue> m_edit;
    // A row's values as they will be stored, and the decimal texts of integers put in text fields.
    std::vector<CellValue> m_resolved;
    std::vector<std::string> m_numberTexts;
    bool m_editing = false;
    std::vector<Block> m_blocks;
    std::vector<RowLocation> m_rows;
    std::vector<std::int32_t> m_changeLog;
    std::int32_t m_nextSequence = 1;
    std::uint64_t m_timesEmptied = 0;
    int m_disableCount = 0;
};

}  // namespace korvex
