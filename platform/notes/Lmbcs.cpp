#include "platform/notes/Lmbcs.h"

#include <cstring>
#include <mutex>

namespace lmbcs {
namespace {

constexpr BYTE kGroupLatin1 = 0x01;
constexpr BYTE kGroupControl = 0x0F;
constexpr BYTE kGroupUnicode = 0x14;
constexpr BYTE kUnicodeLowZero = 0xF6;

// The code page 850 half above 0x7F, built once from the system's own table.
struct Cp850Table {
    wchar_t toWide[128];
    BYTE fromWide[65536];

    Cp850Table()
    {
        for (int i = 0; i < 128; ++i) {
            char byte = static_cast<char>(0x80 + i);
            wchar_t wide = L'?';
            if (MultiByteToWideChar(850, 0, &byte, 1, &wide, 1) != 1) {
                wide = L'?';
            }
            toWide[i] = wide;
        }
        for (auto& entry : fromWide) {
            entry = 0;
        }
        for (int i = 0; i < 128; ++i) {
            fromWide[toWide[i]] = static_cast<BYTE>(0x80 + i);
        }
    }
};

const Cp850Table& Table()
{
    static const Cp850Table table;
    return table;
}

UINT CodePageOfGroup(BYTE group) noexcept
{
    switch (group) {
    case 0x02:
        return 869;
    case 0x03:
        return 1255;
    case 0x04:
        return 1256;
    case 0x05:
        return 1251;
    case 0x06:
        return 852;
    case 0x08:
        return 1254;
    case 0x0B:
        return 874;
    case 0x10:
        return 932;
    case 0x11:
        return 949;
    case 0x12:
        return 950;
    case 0x13:
        return 936;
    default:
        return 0;
    }
}

bool IsDoubleByteGroup(BYTE group) noexcept
{
    return group >= 0x10 && group <= 0x13;
}

wchar_t DecodeCodePage(UINT codePage, const BYTE* bytes, int count)
{
    wchar_t wide = L'?';
    if (codePage == 0 || MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes),
                                             count, &wide, 1) != 1) {
        return L'?';
    }
    return wide;
}

wchar_t DecodeOne(const BYTE* p, size_t length)
{
    const BYTE first = p[0];
    if (length == 1) {
        if (first >= 0x80) {
            return Table().toWide[first - 0x80];
        }
        return first < 0x20 && first != 0 && first != 0x09 && first != 0x0A && first != 0x0D && first != 0x19
                   ? L'?'
                   : static_cast<wchar_t>(first);
    }
    if (first == kGroupUnicode && length == 3) {
        if (p[1] == kUnicodeLowZero) {
            return static_cast<wchar_t>(p[2] << 8);
        }
        return static_cast<wchar_t>((p[1] << 8) | p[2]);
    }
    if (first == kGroupControl && length == 2) {
        if (p[1] >= 0x20 && p[1] < 0x40) {
            return static_cast<wchar_t>(p[1] - 0x20);
        }
        return static_cast<wchar_t>(p[1]);
    }
    if (first == kGroupLatin1 && length == 2) {
        return p[1] >= 0x80 ? Table().toWide[p[1] - 0x80] : L'?';
    }
    const UINT codePage = CodePageOfGroup(first);
    if (IsDoubleByteGroup(first) && length == 3) {
        // A doubled group byte marks a single-byte character of that code page.
        return p[1] == first ? DecodeCodePage(codePage, p + 2, 1) : DecodeCodePage(codePage, p + 1, 2);
    }
    if (length == 2 && p[1] >= 0x80) {
        return DecodeCodePage(codePage, p + 1, 1);
    }
    return L'?';
}

} // namespace

size_t CharLength(const BYTE* text, size_t left) noexcept
{
    if (left == 0) {
        return 0;
    }
    const BYTE first = text[0];
    size_t length = 1;
    if (first == kGroupUnicode || IsDoubleByteGroup(first)) {
        length = 3;
    } else if (first != 0 && first < 0x20 && first != 0x09 && first != 0x0A && first != 0x0D && first != 0x19) {
        length = 2;
    }
    return length < left ? length : left;
}

std::wstring ToWide(std::string_view text)
{
    std::wstring wide;
    wide.reserve(text.size());
    const BYTE* p = reinterpret_cast<const BYTE*>(text.data());
    size_t left = text.size();
    while (left > 0) {
        const size_t length = CharLength(p, left);
        const size_t expected = CharLength(p, 3);
        wide.push_back(length == expected ? DecodeOne(p, length) : L'?');
        p += length;
        left -= length;
    }
    return wide;
}

std::string FromWide(std::wstring_view text)
{
    const Cp850Table& table = Table();
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if ((c >= 0x20 && c < 0x80) || c == 0 || c == 0x09 || c == 0x0A || c == 0x0D) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x20) {
            out.push_back(static_cast<char>(kGroupControl));
            out.push_back(static_cast<char>(c + 0x20));
        } else if (c >= 0x80 && c < 0xA0) {
            out.push_back(static_cast<char>(kGroupControl));
            out.push_back(static_cast<char>(c));
        } else if (table.fromWide[c] != 0) {
            out.push_back(static_cast<char>(table.fromWide[c]));
        } else if ((c & 0xFF00) == (kUnicodeLowZero << 8)) {
            // U+F6xx cannot be written in the Unicode group: its marker byte.
            out.push_back('?');
        } else {
            out.push_back(static_cast<char>(kGroupUnicode));
            if ((c & 0xFF) == 0) {
                out.push_back(static_cast<char>(kUnicodeLowZero));
                out.push_back(static_cast<char>(c >> 8));
            } else {
                out.push_back(static_cast<char>(c >> 8));
                out.push_back(static_cast<char>(c & 0xFF));
            }
        }
    }
    return out;
}

size_t WholeCharactersLength(std::string_view text, size_t limit) noexcept
{
    if (text.size() <= limit) {
        return text.size();
    }
    const BYTE* p = reinterpret_cast<const BYTE*>(text.data());
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t n = CharLength(p + pos, text.size() - pos);
        if (pos + n > limit) {
            break;
        }
        pos += n;
    }
    return pos;
}

size_t CopyWholeCharacters(std::string_view text, char* out, size_t outSize) noexcept
{
    const size_t n = WholeCharactersLength(text, outSize - 1);
    std::memcpy(out, text.data(), n);
    out[n] = 0;
    return n;
}

size_t PreviousBoundary(const BYTE* start, size_t position) noexcept
{
    // LMBCS does not resynchronise backwards, so walk forward from the start.
    size_t pos = 0;
    size_t last = 0;
    while (pos < position) {
        last = pos;
        const size_t length = CharLength(start + pos, 3);
        pos += length == 0 ? 1 : length;
    }
    return last;
}

} // namespace lmbcs
