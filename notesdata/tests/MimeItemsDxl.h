#pragma once
// DXL items of Internet mail as Notes stores it, for tests that write their
// own messages: RFC822 header items and MIME part items as rawitemdata,
// their descriptors in the API's own layouts.
#include <notesapi.h>

#include <cstring>
#include <string>

namespace brwtest::mimedxl {

// Format and flag bits of the descriptors, as Notes writes them.
inline constexpr unsigned kAddress = RFC822_ITEM_FORMAT_ADDR;
inline constexpr unsigned kDate = RFC822_ITEM_FORMAT_DATE;
inline constexpr unsigned kText = RFC822_ITEM_FORMAT_TEXT;
inline constexpr unsigned kTextList = RFC822_ITEM_TEXT_LIST;
inline constexpr unsigned kHasBoundary = MIME_PART_HAS_BOUNDARY;
inline constexpr unsigned kHasHeaders = MIME_PART_HAS_HEADERS;
inline constexpr unsigned kBodyInObject = MIME_PART_BODY_IN_DBOBJECT;

template <typename T>
std::string BytesOf(const T& value)
{
    std::string bytes(sizeof(value), '\0');
    std::memcpy(bytes.data(), &value, sizeof(value));
    return bytes;
}

inline std::string Base64Of(const std::string& bytes)
{
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
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
    }
    return text;
}

inline std::string RawItemOf(const std::string& name, const char* type, const std::string& bytes)
{
    return "<item name=\"" + name + "\"><rawitemdata type=\"" + type + "\">" + Base64Of(bytes) +
           "</rawitemdata></item>";
}

// A header item's value after its type word: the descriptor, the Notes
// form, the header name, ": " and the header body.
inline std::string HeaderValue(unsigned flags, const std::string& native, const std::string& header,
                               const std::string& body)
{
    RFC822ITEMDESC descriptor{};
    descriptor.wVersion = sizeof(descriptor);
    descriptor.dwFlags = flags;
    descriptor.wNotesNativeLen = static_cast<WORD>(native.size());
    descriptor.w822NameLen = static_cast<WORD>(header.size());
    descriptor.w822DelimLen = 2;
    descriptor.w822BodyLen = static_cast<WORD>(body.size());
    return BytesOf(descriptor) + native + header + ": " + body;
}

inline std::string Header(const std::string& item, unsigned flags, const std::string& header, const std::string& body,
                          const std::string& native = "")
{
    return RawItemOf(item, "502", HeaderValue(flags, native, header, body));
}

inline std::string Time(unsigned long ticks, unsigned long days)
{
    return BytesOf(TIMEDATE{{ticks, days}});
}

// One MIME part item's value after its type word: the descriptor, then
// boundary, headers and data.
inline std::string PartValue(unsigned flags, unsigned type, const std::string& boundary, const std::string& headers,
                             const std::string& data)
{
    MIME_PART descriptor{};
    descriptor.wVersion = MIME_PART_VERSION;
    descriptor.dwFlags = flags;
    descriptor.cPartType = static_cast<BYTE>(type);
    descriptor.wByteCount = static_cast<WORD>(boundary.size() + headers.size() + data.size());
    descriptor.wBoundaryLen = static_cast<WORD>(boundary.size());
    descriptor.wHeadersLen = static_cast<WORD>(headers.size());
    return BytesOf(descriptor) + boundary + headers + data;
}

inline std::string Part(unsigned flags, const std::string& boundary, const std::string& headers,
                        const std::string& data)
{
    return RawItemOf("Body", "19", PartValue(flags, MIME_PART_BODY, boundary, headers, data));
}

} // namespace brwtest::mimedxl
