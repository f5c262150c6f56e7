#pragma once

#include <cstdint>
#include <functional>
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
    void Append();
    void SetInteger(int field, std::int32_t value);
    // Cut to the field's width, then stored without trailing blanks.
    void SetText(int field, std::string_view bytes);
    void Post();
    void Cancel();
    bool Editing() const;

    int RecordCount() const;  // posted rows
    std::int32_t Integer(int row, int field) const;
    std::string_view Text(int row, int field) const;

    // Removes every row and the list of pending changes.
    void EmptyTable();
    const std::vector<std::int32_t>& ChangeLog() const;

    // While controls are disabled the observers hear nothing; enabling them again reports one reset.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const;

    // Observers (one each; the record grid's model uses them).
    std::function<void(int row)> OnRowPosted;
    std::function<void()> OnReset;
};

}  // namespace korvex
