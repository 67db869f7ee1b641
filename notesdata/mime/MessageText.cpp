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

std::wstring MessageText(const Message& message)
{
    std::wstring text;
    for (const Part& part : message.parts) {
        if (IsAttachment(part)) {
            continue;
        }
        std::wstring piece;
        if (part.type == "text/plain") {
            piece = DecodeCharset(DecodedBody(part), part.charset);
        } else if (part.type == "text/html" && !HasPlainAlternative(message, part.alternativeGroup)) {
            piece = VisibleTextOfHtml(DecodeCharset(DecodedBody(part), part.charset));
        } else {
            continue;
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
