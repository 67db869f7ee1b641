#include "notesdata/mime/MessageText.h"

#include "notesdata/mime/Charsets.h"
#include "notesdata/mime/HtmlText.h"
#include "notesdata/mime/TransferEncoding.h"

#include <algorithm>

namespace brw::mime {
namespace {

bool HasPlainAlternative(const Message& message, size_t group)
{
    return group != 0 && std::any_of(message.parts.begin(), message.parts.end(), [group](const Part& part) {
               return part.alternativeGroup == group && part.type == "text/plain" && !IsAttachment(part);
           });
}

} // namespace

std::string DecodedBody(const Part& part)
{
    return DecodeTransfer(part.body, part.encoding);
}

std::wstring MessageText(const Message& message, const StoredPartReader& readStored)
{
    std::wstring text;
    for (const Part& part : message.parts) {
        const bool html = part.type == "text/html";
        if (IsAttachment(part) || (part.type != "text/plain" && !html) ||
            (html && HasPlainAlternative(message, part.alternativeGroup))) {
            continue;
        }
        std::optional<std::string> bytes;
        if (part.storedAs.empty()) {
            bytes = DecodedBody(part);
        } else if (readStored) {
            bytes = readStored(part);
        }
        if (!bytes) {
            continue;
        }
        std::wstring piece = DecodeCharset(*bytes, part.charset);
        if (html) {
            piece = VisibleTextOfHtml(piece);
        }
        if (!text.empty()) {
            text += L' ';
        }
        text += piece;
    }
    return text;
}

std::vector<const Part*> MessageAttachments(const Message& message)
{
    std::vector<const Part*> attachments;
    for (const Part& part : message.parts) {
        if (IsAttachment(part)) {
            attachments.push_back(&part);
        }
    }
    return attachments;
}

} // namespace brw::mime
