#include "meter/Windows1252.h"

#include <array>
#include <unordered_map>

namespace korvex {
namespace {

// Characters of the bytes 0x80..0x9F; the undefined ones map to the C1 control of the same value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

const std::unordered_map<char16_t, char>& ReverseHighControls()
{
    static const std::unordered_map<char16_t, char> map = [] {
        std::unordered_map<char16_t, char> m;
        for (std::size_t i = 0; i < kHighControls.size(); ++i)
            m.emplace(kHighControls[i], static_cast<char>(0x80 + i));
        return m;
    }();
    return map;
}

}  // namespace

std::string ToWindows1252(const QString& text)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    const auto& reverse = ReverseHighControls();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;  // one character outside the code page, whatever its two halves
            out.push_back('?');
        } else if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out.push_back(static_cast<char>(c));
        } else if (auto it = reverse.find(c); it != reverse.end()) {
            out.push_back(it->second);
        } else {
            out.push_back('?');
        }
    }
    return out;
}

QString FromWindows1252(std::string_view bytes)
{
    QString out;
    out.resize(static_cast<qsizetype>(bytes.size()));
    QChar* data = out.data();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        data[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHighControls[b - 0x80]) : QChar(b);
    }
    return out;
}

}  // namespace korvex
