#include "records/WholeNumber.h"

#include <charconv>

namespace korvex {

std::optional<std::int32_t> ParseWholeNumber(std::string_view text)
{
    const bool plus = !text.empty() && text.front() == '+';
    if (plus)
        text.remove_prefix(1);
    // from_chars takes a minus but no plus; a sign after a plus is not a number.
    if (text.empty() || (plus && text.front() == '-'))
        return std::nullopt;
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

}  // namespace korvex
