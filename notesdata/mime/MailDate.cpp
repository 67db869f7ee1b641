#include "notesdata/mime/MailDate.h"

#include <cctype>
#include <cstring>
#include <string>

namespace brw::mime {
namespace {

constexpr const char* kDays[] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};
constexpr const char* kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};

struct NamedZone {
    const char* name;
    int offsetMinutes;
};
// The zone names the mail format has always known; any other name says
// nothing about the offset.
constexpr NamedZone kZones[] = {{"ut", 0},        {"gmt", 0},       {"est", -5 * 60}, {"edt", -4 * 60},
                                {"cst", -6 * 60}, {"cdt", -5 * 60}, {"mst", -7 * 60}, {"mdt", -6 * 60},
                                {"pst", -8 * 60}, {"pdt", -7 * 60}};
constexpr size_t kLongestZoneName = 5;
// A TIMEDATE keeps whole hours of its zone in four bits.
constexpr int kLargestOffsetMinutes = 15 * 60 + 45;

// Tokens of the date: runs of digits, runs of letters, single signs; blanks
// and comments between them skipped.
class Tokens {
public:
    explicit Tokens(std::string_view text) : text_(text) {}

    std::string_view Next()
    {
        Skip();
        if (at_ >= text_.size()) {
            return std::string_view();
        }
        const size_t start = at_;
        const auto isDigit = [this](size_t i) { return std::isdigit(static_cast<unsigned char>(text_[i])) != 0; };
        const auto isAlpha = [this](size_t i) { return std::isalpha(static_cast<unsigned char>(text_[i])) != 0; };
        if (isDigit(at_)) {
            while (at_ < text_.size() && isDigit(at_)) {
                ++at_;
            }
        } else if (isAlpha(at_)) {
            while (at_ < text_.size() && isAlpha(at_)) {
                ++at_;
            }
        } else {
            ++at_;
        }
        return text_.substr(start, at_ - start);
    }

    std::string_view Peek()
    {
        const size_t saved = at_;
        const std::string_view token = Next();
        at_ = saved;
        return token;
    }

    // False when a comment does not close: the text is damaged.
    bool Intact() const { return intact_; }

private:
    void Skip()
    {
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++at_;
            } else if (c == '(') {
                SkipComment();
            } else {
                return;
            }
        }
    }

    // Comments nest, and a backslash quotes the next character.
    void SkipComment()
    {
        int depth = 0;
        for (; at_ < text_.size(); ++at_) {
            const char c = text_[at_];
            if (c == '\\') {
                ++at_;
            } else if (c == '(') {
                ++depth;
            } else if (c == ')' && --depth == 0) {
                ++at_;
                return;
            }
        }
        intact_ = false;
    }

    std::string_view text_;
    size_t at_ = 0;
    bool intact_ = true;
};

bool IsDigits(std::string_view token, size_t least, size_t most)
{
    if (token.size() < least || token.size() > most) {
        return false;
    }
    for (char c : token) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

int NumberOf(std::string_view digits)
{
    int value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string Lower(std::string_view token)
{
    std::string lower(token);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

// 1-based index in the table, 0 when the token is none of its names.
template <size_t N>
int IndexOf(const char* const (&names)[N], std::string_view token)
{
    const std::string lower = Lower(token);
    for (size_t i = 0; i < N; ++i) {
        if (lower == names[i]) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDaysIn[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDaysIn[month - 1];
}

// Two-digit years count from 1950, three-digit ones from 1900.
int FullYear(std::string_view digits)
{
    const int year = NumberOf(digits);
    if (digits.size() == 2) {
        return year < 50 ? 2000 + year : 1900 + year;
    }
    return digits.size() == 3 ? 1900 + year : year;
}

// The offset of the zone token(s); nothing when they are malformed.
std::optional<int> ZoneOffset(Tokens& tokens)
{
    const std::string_view first = tokens.Next();
    if (first.empty()) {
        return 0; // no zone written: taken for UTC
    }
    if (first == "+" || first == "-") {
        const std::string_view digits = tokens.Next();
        if (!IsDigits(digits, 4, 4)) {
            return std::nullopt;
        }
        const int hours = NumberOf(digits.substr(0, 2));
        const int minutes = NumberOf(digits.substr(2, 2));
        const int offset = hours * 60 + minutes;
        if (minutes > 59 || offset > kLargestOffsetMinutes) {
            return std::nullopt;
        }
        return first == "-" ? -offset : offset;
    }
    if (!std::isalpha(static_cast<unsigned char>(first[0])) || first.size() > kLongestZoneName) {
        return std::nullopt;
    }
    const std::string lower = Lower(first);
    for (const NamedZone& zone : kZones) {
        if (lower == zone.name) {
            return zone.offsetMinutes;
        }
    }
    return 0;
}

// Days from 1970-01-01 to the civil date, negative before it.
long long DaysFromEpoch(int year, int month, int day)
{
    const int y = month <= 2 ? year - 1 : year;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return static_cast<long long>(era) * 146097 + dayOfEra - 719468;
}

// The local time written, moved back by the offset to UTC.
MailDate InUtc(int year, int month, int day, int hour, int minute, int second, int offset)
{
    const long long local = ((DaysFromEpoch(year, month, day) * 24 + hour) * 60 + minute) * 60 + second;
    return MailDate{local - offset * 60LL, offset};
}

} // namespace

std::optional<MailDate> ParseMailDate(std::string_view text)
{
    Tokens tokens(text);
    std::string_view token = tokens.Next();
    if (IndexOf(kDays, token) != 0) {
        token = tokens.Next();
        if (token == ",") {
            token = tokens.Next();
        }
    }
    if (!IsDigits(token, 1, 2)) {
        return std::nullopt;
    }
    const int day = NumberOf(token);
    const int month = IndexOf(kMonths, tokens.Next());
    const std::string_view yearDigits = tokens.Next();
    if (month == 0 || !IsDigits(yearDigits, 2, 4)) {
        return std::nullopt;
    }
    const int year = FullYear(yearDigits);
    const std::string_view hourDigits = tokens.Next();
    const std::string_view colon = tokens.Next();
    const std::string_view minuteDigits = tokens.Next();
    if (!IsDigits(hourDigits, 1, 2) || colon != ":" || !IsDigits(minuteDigits, 2, 2)) {
        return std::nullopt;
    }
    int second = 0;
    if (tokens.Peek() == ":") {
        tokens.Next();
        const std::string_view secondDigits = tokens.Next();
        if (!IsDigits(secondDigits, 2, 2)) {
            return std::nullopt;
        }
        second = NumberOf(secondDigits);
    }
    const int hour = NumberOf(hourDigits);
    const int minute = NumberOf(minuteDigits);
    const std::optional<int> offset = ZoneOffset(tokens);
    if (!offset || year < 1 || day < 1 || day > DaysInMonth(year, month) || hour > 23 || minute > 59 || second > 60 ||
        !tokens.Next().empty() || !tokens.Intact()) {
        return std::nullopt;
    }
    // A leap second is kept as the last second of its minute.
    return InUtc(year, month, day, hour, minute, second == 60 ? 59 : second, *offset);
}

} // namespace brw::mime
