#include "notesdata/notes/Rfc822Item.h"

#include "notesdata/mime/HeaderText.h"
#include "notesdata/notes/MimeItemLayout.h"
#include "notesdata/notes/NotesText.h"

#include <cstring>
#include <string_view>

namespace brw {
namespace {

template <typename T>
T ReadAt(const char* value, DWORD offset)
{
    T field;
    std::memcpy(&field, value + offset, sizeof(field));
    return field;
}

struct Rfc822Parts {
    DWORD flags;
    std::string_view native; // Notes text, or a TIMEDATE for dates
    std::string_view body;   // the header body as received
};

bool SplitValue(const char* value, DWORD length, Rfc822Parts* parts)
{
    if (length < kRfc822DescriptorBytes) {
        return false;
    }
    DWORD lengths[4];
    for (DWORD at = 0; at < 4; ++at) {
        lengths[at] = ReadAt<WORD>(value, kRfc822NativeLengthOffset + at * sizeof(WORD));
    }
    if (kRfc822DescriptorBytes + lengths[0] + lengths[1] + lengths[2] + lengths[3] > length) {
        return false;
    }
    const char* native = value + kRfc822DescriptorBytes;
    const char* body = native + lengths[0] + lengths[1] + lengths[2];
    *parts = Rfc822Parts{ReadAt<DWORD>(value, kRfc822FlagsOffset), std::string_view(native, lengths[0]),
                         std::string_view(body, lengths[3])};
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
    const DWORD format = parts.flags & kRfc822FormatMask;
    if (format == kRfc822FormatDate) {
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
    const bool asList = (parts.flags & kRfc822TextList) != 0;
    if (format == kRfc822FormatAddress) {
        return TextValue(mime::SplitAddresses(parts.body), asList);
    }
    std::wstring text = mime::DecodeHeaderText(parts.body);
    return TextValue(text.empty() ? std::vector<std::wstring>() : std::vector<std::wstring>{text}, false);
}

} // namespace brw
