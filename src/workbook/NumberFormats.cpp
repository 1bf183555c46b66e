#include "workbook/NumberFormats.h"

#include <cctype>
#include <vector>

bool IsBuiltinDateFormat(int numFmtId)
{
    // 14-17 and 22: dates and date-times; 18-21, 45-47: times only.
    // 27-36 and 50-58: the East Asian built-in date formats.
    return (numFmtId >= 14 && numFmtId <= 17) || numFmtId == 22 || (numFmtId >= 27 && numFmtId <= 36) ||
           (numFmtId >= 50 && numFmtId <= 58);
}

namespace {

bool startsWithNoCase(std::string_view s, std::size_t pos, std::string_view word)
{
    if (s.size() - pos < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(s[pos + i])) != word[i])
            return false;
    }
    return true;
}

} // namespace

bool IsDateFormatCode(std::string_view code)
{
    // The date and time letters in order, outside quoted text, escapes and
    // brackets; a bracketed [h], [m] or [s] is an elapsed time (kept in upper
    // case, never a date part).
    std::vector<char> parts;
    std::size_t i = 0;
    while (i < code.size()) {
        const char c = code[i];
        if (c == '"') {
            const std::size_t close = code.find('"', i + 1);
            i = close == std::string_view::npos ? code.size() : close + 1;
            continue;
        }
        if (c == '\\' || c == '_' || c == '*') {
            i += 2;
            continue;
        }
        if (c == '[') {
            const std::size_t close = code.find(']', i + 1);
            const std::string_view inside =
                code.substr(i + 1, close == std::string_view::npos ? std::string_view::npos : close - i - 1);
            const char first =
                inside.empty() ? '\0' : static_cast<char>(std::tolower(static_cast<unsigned char>(inside[0])));
            if ((first == 'h' || first == 'm' || first == 's') &&
                inside.find_first_not_of(std::string_view(&inside[0], 1)) == std::string_view::npos)
                parts.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(first))));
            i = close == std::string_view::npos ? code.size() : close + 1;
            continue;
        }
        if (startsWithNoCase(code, i, "am/pm")) {
            i += 5;
            continue;
        }
        if (startsWithNoCase(code, i, "a/p")) {
            i += 3;
            continue;
        }
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower == 'y' || lower == 'm' || lower == 'd' || lower == 'h' || lower == 's') {
            // A run of one letter is one part ("mmm", "yyyy").
            std::size_t end = i + 1;
            while (end < code.size() && std::tolower(static_cast<unsigned char>(code[end])) == lower)
                ++end;
            parts.push_back(lower);
            i = end;
            continue;
        }
        ++i;
    }

    for (std::size_t k = 0; k < parts.size(); ++k) {
        const char p = parts[k];
        if (p == 'y' || p == 'd')
            return true;
        if (p == 'm') {
            // Minutes follow an hour or precede seconds; any other m is a month.
            const bool afterHour = k > 0 && (parts[k - 1] == 'h' || parts[k - 1] == 'H');
            const bool beforeSeconds = k + 1 < parts.size() && (parts[k + 1] == 's' || parts[k + 1] == 'S');
            if (!afterHour && !beforeSeconds)
                return true;
        }
    }
    return false;
}
