#include "platform/notes/MimeMail.h"

#include "platform/notes/TimeDate.h"
#include "platform/notes/Values.h"

#include <cstdio>

namespace generator {
namespace {

constexpr char kBoundary[] = "=_BRW_part_boundary";
constexpr char kAlternativeBoundary[] = "=_BRW_alt_boundary";
constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kHex[] = "0123456789ABCDEF";
// Base64 and quoted-printable lines stay within the 76 characters mail allows.
constexpr size_t kLineLength = 76;

bool IsAscii(const std::string& text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

std::string Base64(const std::string& bytes, bool wrapped)
{
    std::string text;
    for (size_t at = 0; at < bytes.size(); at += 3) {
        const size_t left = bytes.size() - at;
        unsigned group = static_cast<unsigned char>(bytes[at]) << 16;
        group |= left > 1 ? static_cast<unsigned char>(bytes[at + 1]) << 8 : 0;
        group |= left > 2 ? static_cast<unsigned char>(bytes[at + 2]) : 0;
        text += kDigits[group >> 18 & 63];
        text += kDigits[group >> 12 & 63];
        text += left > 1 ? kDigits[group >> 6 & 63] : '=';
        text += left > 2 ? kDigits[group & 63] : '=';
        if (wrapped && (at / 3 + 1) % (kLineLength / 4) == 0) {
            text += "\r\n";
        }
    }
    return text;
}

std::string QuotedPrintable(const std::string& bytes, bool inWord)
{
    std::string text;
    size_t line = 0;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = byte >= 33 && byte <= 126 && c != '=' && c != '?' && c != '_';
        std::string piece = plain || (c == ' ' && !inWord) ? std::string(1, c)
                            : c == ' '                     ? std::string("_")
                                                           : std::string{'=', kHex[byte >> 4], kHex[byte & 15]};
        if (!inWord && line + piece.size() > kLineLength - 1) {
            text += "=\r\n";
            line = 0;
        }
        text += piece;
        line += piece.size();
    }
    return text;
}

// UTF-8 text as an encoded word; Latin-1 Q words where the text fits
// Latin-1 and the variant asks for it, else UTF-8 B words.
std::string EncodedWord(const std::string& utf8, unsigned variant)
{
    if (IsAscii(utf8)) {
        return utf8;
    }
    if (variant % 2 == 1) {
        std::wstring wide(utf8.size(), L'\0');
        wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                                        static_cast<int>(wide.size())));
        BOOL lost = FALSE;
        std::string latin(wide.size() * 2, '\0');
        latin.resize(WideCharToMultiByte(28591, 0, wide.data(), static_cast<int>(wide.size()), latin.data(),
                                         static_cast<int>(latin.size()), nullptr, &lost));
        if (!lost) {
            return "=?iso-8859-1?Q?" + QuotedPrintable(latin, true) + "?=";
        }
    }
    return "=?utf-8?B?" + Base64(utf8, false) + "?=";
}

std::string AddressText(const MailAddress& who, unsigned variant)
{
    if (who.name.empty()) {
        return "<" + who.address + ">";
    }
    const std::string name = IsAscii(who.name) ? "\"" + who.name + "\"" : EncodedWord(who.name, variant);
    return name + " <" + who.address + ">";
}

std::string AddressList(const std::vector<MailAddress>& list, unsigned variant)
{
    std::string text;
    for (const MailAddress& who : list) {
        text += (text.empty() ? "" : ",\r\n ") + AddressText(who, variant);
    }
    return text;
}

std::string DateText(const TIMEDATE& t)
{
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    FILETIME file{};
    SYSTEMTIME utc{};
    if (!timedate::ToFileTime(t, &file) || !FileTimeToSystemTime(&file, &utc)) {
        return std::string();
    }
    char text[64];
    std::snprintf(text, sizeof(text), "%s, %u %s %04u %02u:%02u:%02u +0000", kDays[utc.wDayOfWeek % 7], utc.wDay,
                  kMonths[(utc.wMonth + 11) % 12], utc.wYear, utc.wHour, utc.wMinute, utc.wSecond);
    return text;
}

std::string NativeTime(const TIMEDATE& t)
{
    return std::string(reinterpret_cast<const char*>(&t), sizeof(t));
}

std::string HtmlOf(const std::vector<std::string>& paragraphs)
{
    std::string html = "<html><head><style>p { margin: 0 }</style></head><body>";
    for (const std::string& paragraph : paragraphs) {
        html += "<p>" + paragraph + "</p>\r\n";
    }
    return html + "</body></html>";
}

std::string PlainOf(const std::vector<std::string>& paragraphs)
{
    std::string plain;
    for (const std::string& paragraph : paragraphs) {
        plain += paragraph + "\r\n\r\n";
    }
    return plain;
}

class PartWriter {
public:
    explicit PartWriter(std::vector<nsf::ItemData>& items) : items_(items) {}

    // One entity; data longer than an item holds goes on in further items
    // without boundary or headers.
    void Add(const std::string& boundary, const std::string& headers, const std::string& data)
    {
        DWORD flags = (boundary.empty() ? 0 : MIME_PART_HAS_BOUNDARY) | (headers.empty() ? 0 : MIME_PART_HAS_HEADERS);
        const size_t room = values::kMimePartLargest - boundary.size() - headers.size();
        items_.push_back(Item(values::MimePart(flags, MIME_PART_BODY, boundary, headers, data.substr(0, room))));
        for (size_t at = room; at < data.size(); at += values::kMimePartLargest) {
            items_.push_back(
                Item(values::MimePart(0, MIME_PART_BODY, "", "", data.substr(at, values::kMimePartLargest))));
        }
    }

private:
    static nsf::ItemData Item(std::vector<BYTE> value)
    {
        return nsf::ItemData{"Body", ITEM_SIGN | ITEM_SEAL, std::move(value), {}};
    }
    std::vector<nsf::ItemData>& items_;
};

std::string Delimiter(const char* boundary)
{
    return std::string("\r\n--") + boundary + "\r\n";
}

void AlternativeParts(PartWriter& parts, const std::string& boundary, const MimeMemo& memo)
{
    parts.Add(boundary,
              std::string("Content-Type: multipart/alternative; boundary=\"") + kAlternativeBoundary + "\"\r\n\r\n",
              "");
    parts.Add(Delimiter(kAlternativeBoundary),
              "Content-Type: text/plain; charset=utf-8\r\n"
              "Content-Transfer-Encoding: quoted-printable\r\n\r\n",
              QuotedPrintable(PlainOf(memo.paragraphs), false));
    parts.Add(Delimiter(kAlternativeBoundary),
              "Content-Type: text/html; charset=utf-8\r\n"
              "Content-Transfer-Encoding: base64\r\n\r\n",
              Base64(HtmlOf(memo.paragraphs), true));
    parts.Add("", "", std::string("\r\n--") + kAlternativeBoundary + "--\r\n");
}

void BodyParts(std::vector<nsf::ItemData>& items, const MimeMemo& memo, MimeStyle style)
{
    PartWriter parts(items);
    switch (style) {
    case MimeStyle::Plain:
        parts.Add("", "Content-Type: text/plain; charset=us-ascii\r\nContent-Transfer-Encoding: 7bit\r\n\r\n",
                  PlainOf(memo.paragraphs));
        return;
    case MimeStyle::QuotedPrintable:
        parts.Add("", "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n",
                  QuotedPrintable(PlainOf(memo.paragraphs), false));
        return;
    case MimeStyle::HtmlOnly:
        parts.Add("", "Content-Type: text/html; charset=utf-8\r\n\r\n", HtmlOf(memo.paragraphs));
        return;
    case MimeStyle::Alternative:
        AlternativeParts(parts, "", memo);
        return;
    case MimeStyle::Mixed:
        parts.Add("", std::string("Content-Type: multipart/mixed; boundary=\"") + kBoundary + "\"\r\n\r\n", "");
        AlternativeParts(parts, Delimiter(kBoundary), memo);
        for (const MailFile& file : memo.files) {
            parts.Add(Delimiter(kBoundary),
                      "Content-Type: application/octet-stream; name=\"" + file.name +
                          "\"\r\nContent-Disposition: attachment; filename=\"" + file.name +
                          "\"\r\nContent-Transfer-Encoding: base64\r\n\r\n",
                      Base64(file.bytes, true));
        }
        parts.Add("", "", std::string("\r\n--") + kBoundary + "--\r\n");
        return;
    }
}

nsf::ItemData Header(const char* item, DWORD flags, const std::string& header, const std::string& body,
                     const std::string& native = "")
{
    return nsf::ItemData{item, ITEM_SUMMARY, values::Rfc822Text(flags, native, header, body), {}};
}

} // namespace

std::vector<nsf::ItemData> MimeMemoItems(const MimeMemo& memo, MimeStyle style, unsigned variant)
{
    std::vector<nsf::ItemData> items;
    items.push_back(
        Header("SendTo", RFC822_ITEM_FORMAT_ADDR | RFC822_ITEM_TEXT_LIST, "To", AddressList(memo.to, variant)));
    if (!memo.cc.empty()) {
        items.push_back(
            Header("CopyTo", RFC822_ITEM_FORMAT_ADDR | RFC822_ITEM_TEXT_LIST, "Cc", AddressList(memo.cc, variant)));
    }
    items.push_back(Header("Subject", RFC822_ITEM_FORMAT_TEXT, "Subject", EncodedWord(memo.subject, variant)));
    items.push_back(Header("From", RFC822_ITEM_FORMAT_ADDR, "From", AddressText(memo.from, variant)));
    items.push_back(Header("MIME_Version", RFC822_ITEM_FORMAT_TEXT, "MIME-Version", "1.0"));
    items.push_back(
        Header("PostedDate", RFC822_ITEM_FORMAT_DATE, "Date", DateText(memo.posted), NativeTime(memo.posted)));
    BodyParts(items, memo, style);
    items.push_back(nsf::ItemData{"$NoteHasNativeMIME", ITEM_SUMMARY, values::Text("1"), {}});
    items.push_back(nsf::ItemData{"DeliveredDate", ITEM_SUMMARY, values::Time(memo.delivered), {}});
    return items;
}

} // namespace generator
