#include "platform/notes/MimeStream.h"

#include "platform/notes/Values.h"

#include <algorithm>
#include <cctype>

namespace mimestream {
namespace {

struct HeaderItem {
    const char* header; // lower case
    const char* item;
    DWORD flags;
};

constexpr DWORD kAddressList = RFC822_ITEM_FORMAT_ADDR | RFC822_ITEM_TEXT_LIST;
constexpr HeaderItem kHeaderItems[] = {
    {"to", "SendTo", kAddressList},
    {"cc", "CopyTo", kAddressList},
    {"bcc", "BlindCopyTo", kAddressList},
    {"from", "From", RFC822_ITEM_FORMAT_ADDR},
    {"reply-to", "ReplyTo", RFC822_ITEM_FORMAT_ADDR},
    {"date", "PostedDate", RFC822_ITEM_FORMAT_DATE},
    {"message-id", "$MessageID", RFC822_ITEM_FORMAT_TEXT},
    {"mime-version", "MIME_Version", RFC822_ITEM_FORMAT_TEXT},
};

struct Field {
    std::string name; // as written
    std::string body; // folding kept
    std::string raw;  // the whole field with its line break
};

std::string Lower(const std::string& text)
{
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return lower;
}

// The header block's fields, a continuation line joined to its field; the
// position where the body starts.
std::vector<Field> ReadFields(const std::string& stream, size_t* bodyStart)
{
    std::vector<Field> fields;
    size_t at = 0;
    while (at < stream.size()) {
        size_t end = stream.find('\n', at);
        end = end == std::string::npos ? stream.size() : end + 1;
        const std::string line = stream.substr(at, end - at);
        if (line == "\r\n" || line == "\n") {
            at = end;
            break;
        }
        if ((line[0] == ' ' || line[0] == '\t') && !fields.empty()) {
            fields.back().body += line;
            fields.back().raw += line;
        } else if (const size_t colon = line.find(':'); colon != std::string::npos) {
            fields.push_back(Field{line.substr(0, colon), line.substr(colon + 1), line});
        }
        at = end;
    }
    *bodyStart = at;
    return fields;
}

std::string Trimmed(const std::string& text)
{
    const size_t start = text.find_first_not_of(" \t\r\n");
    return start == std::string::npos ? std::string()
                                      : text.substr(start, text.find_last_not_of(" \t\r\n") - start + 1);
}

nsf::ItemData HeaderItemOf(const Field& field)
{
    const std::string lower = Lower(Trimmed(field.name));
    std::string item = Trimmed(field.name);
    std::replace(item.begin(), item.end(), '-', '_');
    DWORD flags = RFC822_ITEM_FORMAT_TEXT;
    for (const HeaderItem& known : kHeaderItems) {
        if (lower == known.header) {
            item = known.item;
            flags = known.flags;
        }
    }
    return nsf::ItemData{
        item, ITEM_SUMMARY, values::Rfc822Text(flags, "", Trimmed(field.name), Trimmed(field.body)), {}};
}

nsf::ItemData PartItem(DWORD flags, const std::string& headers, const std::string& data)
{
    return nsf::ItemData{"Body", ITEM_SIGN | ITEM_SEAL, values::MimePart(flags, MIME_PART_BODY, "", headers, data), {}};
}

} // namespace

std::vector<nsf::ItemData> ItemsOfMimeStream(const std::string& stream)
{
    size_t bodyStart = 0;
    const std::vector<Field> fields = ReadFields(stream, &bodyStart);
    std::vector<nsf::ItemData> items;
    std::string contentHeaders;
    for (const Field& field : fields) {
        if (Lower(Trimmed(field.name)).compare(0, 8, "content-") == 0) {
            contentHeaders += field.raw;
        } else {
            items.push_back(HeaderItemOf(field));
        }
    }
    if (!contentHeaders.empty() || bodyStart < stream.size()) {
        contentHeaders += "\r\n";
        const std::string body = stream.substr(bodyStart);
        const size_t room = values::kMimePartLargest - std::min(contentHeaders.size(), values::kMimePartLargest);
        items.push_back(
            PartItem(MIME_PART_HAS_HEADERS, contentHeaders.substr(0, values::kMimePartLargest), body.substr(0, room)));
        for (size_t at = room; at < body.size(); at += values::kMimePartLargest) {
            items.push_back(PartItem(0, "", body.substr(at, values::kMimePartLargest)));
        }
    }
    items.push_back(nsf::ItemData{"$NoteHasNativeMIME", ITEM_SUMMARY, values::Text("1"), {}});
    return items;
}

} // namespace mimestream
