#include "notesdata/mime/HeaderText.h"

#include "notesdata/mime/Charsets.h"
#include "notesdata/mime/TransferEncoding.h"

#include <cctype>
#include <optional>

namespace brw::mime {
namespace {

struct EncodedWord {
    std::wstring text;
    size_t length; // of the word as written
};

// The encoded word that starts at text[at], if one does.
std::optional<EncodedWord> EncodedWordAt(std::string_view text, size_t at)
{
    if (text.compare(at, 2, "=?") != 0) {
        return std::nullopt;
    }
    const size_t charsetEnd = text.find('?', at + 2);
    if (charsetEnd == std::string_view::npos || charsetEnd + 2 >= text.size() || text[charsetEnd + 2] != '?') {
        return std::nullopt;
    }
    const size_t dataStart = charsetEnd + 3;
    const size_t dataEnd = text.find("?=", dataStart);
    if (dataEnd == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view charset = text.substr(at + 2, charsetEnd - at - 2);
    charset = charset.substr(0, charset.find('*')); // a language tag follows the star
    const std::string_view data = text.substr(dataStart, dataEnd - dataStart);
    if (data.find_first_of(" \t\r\n") != std::string_view::npos) {
        return std::nullopt;
    }
    const char encoding = static_cast<char>(std::toupper(static_cast<unsigned char>(text[charsetEnd + 1])));
    std::string bytes;
    if (encoding == 'B') {
        bytes = DecodeBase64(data);
    } else if (encoding == 'Q') {
        bytes = DecodeQuotedPrintable(data, QuotedPrintableUse::EncodedWord);
    } else {
        return std::nullopt;
    }
    return EncodedWord{DecodeCharset(bytes, charset), dataEnd + 2 - at};
}

void Trim(std::wstring& text)
{
    const size_t start = text.find_first_not_of(L" \t");
    const size_t end = text.find_last_not_of(L" \t");
    text = start == std::wstring::npos ? std::wstring() : text.substr(start, end - start + 1);
}

// An address with its display name's quotes taken away (their content
// kept, backslash escapes undone).
std::string Unquoted(std::string_view address)
{
    std::string plain;
    bool quoted = false;
    for (size_t at = 0; at < address.size(); ++at) {
        const char c = address[at];
        if (c == '"') {
            quoted = !quoted;
        } else if (c == '\\' && quoted && at + 1 < address.size()) {
            plain += address[++at];
        } else {
            plain += c;
        }
    }
    return plain;
}

} // namespace

std::wstring DecodeHeaderText(std::string_view body)
{
    std::wstring text;
    std::string plain; // bytes between encoded words, decoded together
    bool lastWasEncoded = false;
    for (size_t at = 0; at < body.size();) {
        if (std::optional<EncodedWord> word = EncodedWordAt(body, at)) {
            if (lastWasEncoded && plain.find_first_not_of(" \t") == std::string::npos) {
                plain.clear();
            }
            text += DecodeCharset(plain, "");
            text += word->text;
            plain.clear();
            lastWasEncoded = true;
            at += word->length;
            continue;
        }
        const char c = body[at++];
        if (c == '\r' || c == '\n') {
            continue; // folding: the blank that follows stays
        }
        plain += c;
    }
    text += DecodeCharset(plain, "");
    return text;
}

std::vector<std::wstring> SplitAddresses(std::string_view body)
{
    std::vector<std::wstring> addresses;
    const auto take = [&](size_t start, size_t end) {
        std::wstring address = DecodeHeaderText(Unquoted(body.substr(start, end - start)));
        Trim(address);
        if (!address.empty()) {
            addresses.push_back(std::move(address));
        }
    };
    bool quoted = false;
    int angle = 0;
    int comment = 0;
    size_t start = 0;
    for (size_t at = 0; at < body.size(); ++at) {
        const char c = body[at];
        if (quoted) {
            at += c == '\\' ? 1 : 0;
            quoted = c != '"';
        } else if (c == '"') {
            quoted = true;
        } else if (c == '(' || c == ')') {
            comment = c == '(' ? comment + 1 : comment > 0 ? comment - 1 : 0;
        } else if (c == '<' || c == '>') {
            angle = c == '<' ? angle + 1 : angle > 0 ? angle - 1 : 0;
        } else if (c == ',' && angle == 0 && comment == 0) {
            take(start, at);
            start = at + 1;
        }
    }
    if (start < body.size()) {
        take(start, body.size());
    }
    return addresses;
}

} // namespace brw::mime
