#include "handler/protocol/BrwUrl.h"

#include "common/BrwUrlText.h"
#include "common/WideString.h"

namespace brw {
namespace {

using Size = std::wstring::size_type;
constexpr Size npos = std::wstring::npos;

// Leading decimal digits as a signed 32-bit number; an optional sign, no
// digits give 0, and a number too large for 32 bits saturates rather than
// wrapping into a different attachment.
int LeadingInteger(const std::wstring& text)
{
    Size i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
        negative = text[i] == L'-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > 0x80000000LL) {
            value = 0x80000000LL;
        }
    }
    if (negative) {
        return static_cast<int>(-value);
    }
    return value > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(value);
}

void ParseItemPart(const std::wstring& url, const std::wstring& rest, ParsedBrwUrl* parsed)
{
    const Size hash = rest.find(L'#');
    parsed->kind = UrlKind::Document;
    if (hash == npos) {
        parsed->noteId = rest;
        return;
    }
    parsed->noteId = rest.substr(0, hash);
    const Size second = rest.find(L'#', hash + 1);
    if (second == npos) {
        parsed->attachmentName = url;
    } else {
        parsed->attachmentNumber = LeadingInteger(rest.substr(hash + 1, second - hash - 1));
        parsed->attachmentName = rest.substr(second + 1);
    }
    parsed->kind = parsed->attachmentNumber == 0 ? UrlKind::MessageBody : UrlKind::Attachment;
    const Size dot = parsed->attachmentName.rfind(L'.');
    if (dot != npos) {
        parsed->extension = parsed->attachmentName.substr(dot + 1);
    }
}

} // namespace

bool ParseBrwUrl(const wchar_t* text, ParsedBrwUrl* parsed)
{
    *parsed = ParsedBrwUrl();
    if (!text || !StartsWithNoCase(text, kBrwScheme)) {
        return false;
    }
    const std::wstring url(text);
    const Size open = url.find(L'{');
    const Size close = url.find(L'}');
    if (open == npos || close == npos || close < open) {
        // A "}" before the "{" gives no identity text to take.
        return false;
    }
    parsed->identity = url.substr(open, close - open + 1);
    const Size slash = url.find(L'/', close);
    if (slash == npos || slash + 1 == url.size()) {
        return true;
    }
    Size marker = url.find(L".nsf/", slash + 1);
    if (marker == npos) {
        marker = url.find(L".NSF/", slash + 1);
    }
    if (marker == npos) {
        return true;
    }
    parsed->databasePath = url.substr(slash + 1, marker + 4 - slash - 1);
    parsed->kind = UrlKind::Database;
    const Size restStart = marker + 5;
    if (restStart == url.size()) {
        return true;
    }
    ParseItemPart(url, url.substr(restStart), parsed);
    return true;
}

std::wstring CanonicalDatabasePath(const std::wstring& path)
{
    // The paths reaching the handler (database list entries, URLs) are
    // already relative to the data directory where they lie under it.
    return BrwUrlDatabasePart(path, std::wstring());
}

std::wstring MakeDatabaseUrl(const std::wstring& identity, const std::wstring& databasePath)
{
    return std::wstring(kBrwScheme) + identity + L"/" + CanonicalDatabasePath(databasePath) + L"/";
}

std::wstring MakeDocumentUrl(const std::wstring& identity, const std::wstring& databasePath, const std::wstring& noteId)
{
    return MakeDatabaseUrl(identity, databasePath) + noteId;
}

std::wstring MakeAttachmentUrl(const std::wstring& identity, const std::wstring& databasePath,
                               const std::wstring& noteId, int number, const std::wstring& name)
{
    return MakeDocumentUrl(identity, databasePath, noteId) + L"#" + std::to_wstring(number) + L"#" + name;
}

} // namespace brw
