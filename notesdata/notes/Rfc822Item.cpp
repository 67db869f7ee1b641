#include "notesdata/notes/Rfc822Item.h"

#include "notesdata/mime/HeaderText.h"
#include "notesdata/notes/NotesText.h"

#include <cstring>
#include <string_view>

namespace brw {
namespace {

static_assert(sizeof(RFC822ITEMDESC) == 14, "the header item descriptor is packed");

struct Rfc822Parts {
    DWORD flags;
    std::string_view native; // Notes text, or a TIMEDATE for dates
    std::string_view body;   // the header body as received
};

bool SplitValue(const char* value, DWORD length, Rfc822Parts* parts)
{
    RFC822ITEMDESC descriptor;
    if (length < sizeof(descriptor)) {
        return false;
    }
    std::memcpy(&descriptor, value, sizeof(descriptor));
    const DWORD pieces =
        DWORD(descriptor.wNotesNativeLen) + descriptor.w822NameLen + descriptor.w822DelimLen + descriptor.w822BodyLen;
    if (sizeof(descriptor) + pieces > length) {
        return false;
    }
    const char* native = value + sizeof(descriptor);
    const char* body = native + descriptor.wNotesNativeLen + descriptor.w822NameLen + descriptor.w822DelimLen;
    *parts = Rfc822Parts{descriptor.dwFlags, std::string_view(native, descriptor.wNotesNativeLen),
                         std::string_view(body, descriptor.w822BodyLen)};
    return true;
}

Rfc822Value TextValue(std::vector<std::wstring> texts, bool asList)
{
    Rfc822Value result;
    if (!texts.empty()) {
        result.kind = asList || texts.size() > 1 ? Rfc822Value::Kind::TextList : Rfc822Value::Kind::Text;
        result.texts = std::move(texts);
    }
    return result;
}

} // namespace

Rfc822Value ReadRfc822Value(const char* value, DWORD length)
{
    Rfc822Parts parts{};
    if (!SplitValue(value, length, &parts)) {
        return Rfc822Value();
    }
    const DWORD format = parts.flags & RFC822_ITEM_FORMAT_MASK;
    if (format == RFC822_ITEM_FORMAT_DATE) {
        Rfc822Value result;
        if (parts.native.size() == sizeof(TIMEDATE)) {
            result.kind = Rfc822Value::Kind::Time;
            std::memcpy(&result.time, parts.native.data(), sizeof(TIMEDATE));
        }
        return result;
    }
    // A header kept only in its Notes form is shown as Notes keeps it.
    if (parts.body.empty()) {
        std::wstring native = LmbcsToWide(parts.native.data(), parts.native.size());
        return TextValue(native.empty() ? std::vector<std::wstring>() : std::vector<std::wstring>{native}, false);
    }
    const bool asList = (parts.flags & RFC822_ITEM_TEXT_LIST) != 0;
    if (format == RFC822_ITEM_FORMAT_ADDR) {
        return TextValue(mime::SplitAddresses(parts.body), asList);
    }
    std::wstring text = mime::DecodeHeaderText(parts.body);
    return TextValue(text.empty() ? std::vector<std::wstring>() : std::vector<std::wstring>{text}, false);
}

} // namespace brw
