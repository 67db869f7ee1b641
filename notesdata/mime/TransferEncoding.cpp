#include "notesdata/mime/TransferEncoding.h"

#include <cctype>

namespace brw::mime {
namespace {

// The value of each byte as a base64 digit, -1 for the others: a file of
// 100 KB is some 137,000 digits, read at every listing of its size.
struct Base64Table {
    signed char values[256];
    constexpr Base64Table() : values()
    {
        for (int c = 0; c < 256; ++c) {
            values[c] = -1;
        }
        for (int digit = 0; digit < 26; ++digit) {
            values['A' + digit] = static_cast<signed char>(digit);
            values['a' + digit] = static_cast<signed char>(digit + 26);
        }
        for (int digit = 0; digit < 10; ++digit) {
            values['0' + digit] = static_cast<signed char>(digit + 52);
        }
        values[static_cast<unsigned char>('+')] = 62;
        values[static_cast<unsigned char>('/')] = 63;
    }
};
constexpr Base64Table kBase64;

int Base64Value(char c)
{
    return kBase64.values[static_cast<unsigned char>(c)];
}

// Per byte: 1 for a base64 digit, 2 for the '=' that ends the data, 0
// for any other byte.
constexpr unsigned char kDigitBit = 1;
constexpr unsigned char kEndBit = 2;
struct Base64ClassTable {
    unsigned char classes[256];
    constexpr Base64ClassTable() : classes()
    {
        for (int c = 0; c < 256; ++c) {
            classes[c] = kBase64.values[c] >= 0 ? kDigitBit : 0;
        }
        classes[static_cast<unsigned char>('=')] = kEndBit;
    }
};
constexpr Base64ClassTable kBase64Classes;

// The digits before the first '=', in one pass with no branch per byte: a
// listed file of 100 KB is read here at every listing. Bytes go in blocks;
// only the block that holds the '=' is looked at byte by byte.
size_t Base64Digits(std::string_view text)
{
    constexpr size_t kBlock = 64;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    size_t digits = 0;
    size_t at = 0;
    for (; at + kBlock <= text.size(); at += kBlock) {
        unsigned found = 0;
        size_t blockDigits = 0;
        for (size_t i = at; i < at + kBlock; ++i) {
            const unsigned char kind = kBase64Classes.classes[bytes[i]];
            blockDigits += kind & kDigitBit;
            found |= kind;
        }
        if ((found & kEndBit) != 0) {
            break;
        }
        digits += blockDigits;
    }
    for (; at < text.size(); ++at) {
        const unsigned char kind = kBase64Classes.classes[bytes[at]];
        if ((kind & kEndBit) != 0) {
            break;
        }
        digits += kind & kDigitBit;
    }
    return digits;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const int lower = std::tolower(static_cast<unsigned char>(c));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

bool IsNamed(std::string_view value, std::string_view name)
{
    size_t start = 0;
    size_t end = value.size();
    while (start < end && std::isspace(static_cast<unsigned char>(value[start]))) {
        ++start;
    }
    while (end > start && std::isspace(static_cast<unsigned char>(value[end - 1]))) {
        --end;
    }
    if (end - start != name.size()) {
        return false;
    }
    for (size_t at = 0; at < name.size(); ++at) {
        if (std::tolower(static_cast<unsigned char>(value[start + at])) != name[at]) {
            return false;
        }
    }
    return true;
}

// Length of the line break at text[at] (CRLF or LF), 0 when there is none.
size_t LineBreakAt(std::string_view text, size_t at)
{
    if (at < text.size() && text[at] == '\n') {
        return 1;
    }
    return at + 1 < text.size() && text[at] == '\r' && text[at + 1] == '\n' ? 2 : 0;
}

} // namespace

std::string DecodeBase64(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3 + 3);
    unsigned group = 0;
    int bits = 0;
    for (char c : text) {
        if (c == '=') {
            break;
        }
        const int value = Base64Value(c);
        if (value < 0) {
            continue;
        }
        group = (group << 6 | static_cast<unsigned>(value)) & 0xFFFFFF;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>(group >> bits & 0xFF);
        }
    }
    return bytes;
}

std::string DecodeQuotedPrintable(std::string_view text, QuotedPrintableUse use)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '_' && use == QuotedPrintableUse::EncodedWord) {
            bytes += ' ';
            continue;
        }
        if (c != '=') {
            bytes += c;
            continue;
        }
        // Blanks before a soft break are padding some mailers leave.
        size_t after = at + 1;
        while (after < text.size() && (text[after] == ' ' || text[after] == '\t')) {
            ++after;
        }
        if (const size_t lineBreak = LineBreakAt(text, after); lineBreak > 0 || after == text.size()) {
            at = after + lineBreak - 1;
            continue;
        }
        const int high = at + 1 < text.size() ? HexValue(text[at + 1]) : -1;
        const int low = at + 2 < text.size() ? HexValue(text[at + 2]) : -1;
        if (high < 0 || low < 0) {
            bytes += c;
            continue;
        }
        bytes += static_cast<char>(high << 4 | low);
        at += 2;
    }
    return bytes;
}

size_t DecodedSize(std::string_view body, std::string_view encoding)
{
    if (!IsNamed(encoding, "base64")) {
        return IsNamed(encoding, "quoted-printable") ? DecodeQuotedPrintable(body, QuotedPrintableUse::Body).size()
                                                     : body.size();
    }
    return Base64Digits(body) * 6 / 8;
}

std::string DecodeTransfer(std::string_view body, std::string_view encoding)
{
    if (IsNamed(encoding, "base64")) {
        return DecodeBase64(body);
    }
    if (IsNamed(encoding, "quoted-printable")) {
        return DecodeQuotedPrintable(body, QuotedPrintableUse::Body);
    }
    return std::string(body);
}

} // namespace brw::mime
