#pragma once
// DXL items of Internet mail as Notes stores it, for tests that write their
// own messages: RFC822 header items and MIME part items as rawitemdata,
// their descriptors packed byte by byte as the note holds them.
#include <string>

namespace brwtest::mimedxl {

// Format and flag bits of the descriptors, as Notes writes them.
inline constexpr unsigned kAddress = 0;
inline constexpr unsigned kDate = 1;
inline constexpr unsigned kText = 2;
inline constexpr unsigned kTextList = 0x10;
inline constexpr unsigned kHasBoundary = 1;
inline constexpr unsigned kHasHeaders = 2;
inline constexpr unsigned kBodyInObject = 4;

inline void PutWord(std::string& bytes, unsigned value)
{
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>(value >> 8 & 0xFF);
}

inline void PutDword(std::string& bytes, unsigned long value)
{
    PutWord(bytes, value & 0xFFFF);
    PutWord(bytes, value >> 16 & 0xFFFF);
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
    std::string bytes;
    PutWord(bytes, 14);
    PutDword(bytes, flags);
    PutWord(bytes, static_cast<unsigned>(native.size()));
    PutWord(bytes, static_cast<unsigned>(header.size()));
    PutWord(bytes, 2);
    PutWord(bytes, static_cast<unsigned>(body.size()));
    return bytes + native + header + ": " + body;
}

inline std::string Header(const std::string& item, unsigned flags, const std::string& header, const std::string& body,
                          const std::string& native = "")
{
    return RawItemOf(item, "502", HeaderValue(flags, native, header, body));
}

inline std::string Time(unsigned long ticks, unsigned long days)
{
    std::string bytes;
    PutDword(bytes, ticks);
    PutDword(bytes, days);
    return bytes;
}

// One MIME part item's value after its type word: the descriptor, then
// boundary, headers and data.
inline std::string PartValue(unsigned flags, unsigned type, const std::string& boundary, const std::string& headers,
                             const std::string& data)
{
    std::string bytes;
    PutWord(bytes, 2);
    PutDword(bytes, flags);
    bytes += static_cast<char>(type);
    bytes += '\0';
    PutWord(bytes, static_cast<unsigned>(boundary.size() + headers.size() + data.size()));
    PutWord(bytes, static_cast<unsigned>(boundary.size()));
    PutWord(bytes, static_cast<unsigned>(headers.size()));
    PutWord(bytes, 0);
    PutDword(bytes, 0);
    return bytes + boundary + headers + data;
}

inline std::string Part(unsigned flags, const std::string& boundary, const std::string& headers,
                        const std::string& data)
{
    return RawItemOf("Body", "19", PartValue(flags, 2, boundary, headers, data));
}

} // namespace brwtest::mimedxl
