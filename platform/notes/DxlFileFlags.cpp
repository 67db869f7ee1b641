#include "platform/notes/DxlFileFlags.h"

#include <sstream>

namespace dxl {
namespace {

struct Token {
    const wchar_t* text;
    WORD flags;
};

constexpr Token kFlagTokens[] = {{L"sign", FILEFLAG_SIGN}, {L"storedindoc", FILEFLAG_INDOC}, {L"mime", FILEFLAG_MIME}};
constexpr Token kEncodingTokens[] = {{L"none", ENCODE_NONE},
                                     {L"base64", ENCODE_BASE64},
                                     {L"quotedprintable", ENCODE_QP},
                                     {L"uuencode", ENCODE_UUENCODE},
                                     {L"unknown", ENCODE_EXTENSION}};

} // namespace

WORD FileFlagsFromDxl(const std::wstring& flags, const std::wstring& encoding)
{
    WORD result = 0;
    std::wistringstream words(flags);
    for (std::wstring word; words >> word;) {
        for (const Token& token : kFlagTokens) {
            result |= word == token.text ? token.flags : 0;
        }
    }
    for (const Token& token : kEncodingTokens) {
        result |= encoding == token.text ? token.flags : 0;
    }
    return result;
}

std::wstring FileFlagTokens(WORD fileFlags)
{
    std::wstring tokens;
    for (const Token& token : kFlagTokens) {
        if ((fileFlags & token.flags) != 0) {
            tokens += (tokens.empty() ? L"" : L" ") + std::wstring(token.text);
        }
    }
    return tokens;
}

std::wstring FileEncodingToken(WORD fileFlags)
{
    for (const Token& token : kEncodingTokens) {
        if ((fileFlags & FILEFLAG_ENCODE_MASK) == token.flags) {
            return token.text;
        }
    }
    return L"unknown";
}

} // namespace dxl
