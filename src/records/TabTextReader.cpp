#include "records/TabTextReader.h"

#include <string>
#include <string_view>
#include <vector>

#include "records/WholeNumber.h"

namespace korvex {
namespace {

constexpr qint64 kChunkBytes = 64 * 1024;

bool EndsLineOrText(char c)
{
    return c == '\r' || c == '\n' || c == '\0';
}

// Reads one value of the line for the field at `field`; false when the line has no such field or the
// value does not fit it. An empty number beside other pieces is a row without a number, as the writer
// puts it out; an empty line is no row.
bool ReadPiece(const TTable& target, std::size_t field, std::string_view piece, bool onlyPiece, CellValue& cell)
{
    if (field >= target.Fields().size())
        return false;
    if (target.Fields()[field].type == FieldType::Integer) {
        if (piece.empty() && !onlyPiece) {
            cell = {};
            return true;
        }
        const auto number = ParseWholeNumber(piece);
        if (!number)
            return false;
        cell = {CellValue::Kind::Integer, *number, {}};
    } else {
        cell = {CellValue::Kind::Text, 0, piece};
    }
    return true;
}

// Posts the line's values as one row; the cells are reused from line to line.
bool AppendRow(TTable& target, std::string_view line, std::vector<CellValue>& cells)
{
    // A row still being edited is posted before the line's, as opening a new edit row would.
    if (target.Editing())
        target.Post();
    cells.clear();
    for (;;) {
        const std::size_t tab = line.find('\t');
        CellValue& cell = cells.emplace_back();
        const bool onlyPiece = cells.size() == 1 && tab == std::string_view::npos;
        if (!ReadPiece(target, cells.size() - 1, line.substr(0, tab), onlyPiece, cell))
            return false;
        if (tab == std::string_view::npos)
            break;
        line.remove_prefix(tab + 1);
    }
    target.PostRow(cells);
    return true;
}

}  // namespace

bool ReadTabText(QIODevice& in, TTable& target)
{
    std::vector<char> chunk(kChunkBytes);
    std::string line;
    bool afterCR = false;
    bool textEnded = false;
    std::size_t lines = 0;
    std::vector<CellValue> cells;

    auto finishLine = [&]() {
        ++lines;
        const bool stored = lines == 1 || AppendRow(target, line, cells);  // the first line is the header
        line.clear();
        return stored;
    };

    while (!textEnded) {
        const qint64 got = in.read(chunk.data(), kChunkBytes);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        const char* p = chunk.data();
        const char* const end = p + got;
        while (p < end) {
            if (afterCR) {
                afterCR = false;
                if (*p == '\n') {
                    ++p;
                    continue;
                }
            }
            const char* stop = p;
            while (stop < end && !EndsLineOrText(*stop))
                ++stop;
            if (line.size() + static_cast<std::size_t>(stop - p) > kMaxTabTextLineBytes)
                return false;
            line.append(p, stop);
            p = stop;
            if (p == end)
                break;
            if (*p == '\0') {
                textEnded = true;
                break;
            }
            afterCR = *p == '\r';
            ++p;
            if (!finishLine())
                return false;
        }
    }
    // A last line without a line end counts when it holds anything.
    if (!line.empty() && !finishLine())
        return false;
    return lines > 0;
}

}  // namespace korvex
