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

bool StorePiece(TTable& target, int field, std::string_view piece)
{
    if (field >= target.FieldCount())
        return false;
    if (target.Fields()[static_cast<std::size_t>(field)].type == FieldType::Integer) {
        const auto number = ParseWholeNumber(piece);
        if (!number)
            return false;
        target.SetInteger(field, *number);
    } else {
        target.SetText(field, piece);
    }
    return true;
}

bool AppendRow(TTable& target, std::string_view line)
{
    target.Append();
    int field = 0;
    for (;;) {
        const std::size_t tab = line.find('\t');
        if (!StorePiece(target, field, line.substr(0, tab))) {
            target.Cancel();
            return false;
        }
        if (tab == std::string_view::npos)
            break;
        line.remove_prefix(tab + 1);
        ++field;
    }
    target.Post();
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

    auto finishLine = [&]() {
        ++lines;
        const bool stored = lines == 1 || AppendRow(target, line);  // the first line is the header
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
