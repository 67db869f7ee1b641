#include "notesdata/mime/Charsets.h"

#include <cctype>
#include <climits>
#include <iterator>

namespace brw::mime {
namespace {

struct CharsetName {
    const char* name;
    UINT codePage;
};

constexpr UINT kWindows1252 = 1252;

// The charsets mail is sent in; names as the IANA registry spells them,
// with the aliases mailers use.
constexpr CharsetName kCharsets[] = {
    {"utf-8", CP_UTF8},     {"utf8", CP_UTF8},       {"us-ascii", 20127},
    {"ascii", 20127},       {"iso-8859-1", 28591},   {"latin1", 28591},
    {"iso-8859-2", 28592},  {"iso-8859-3", 28593},   {"iso-8859-4", 28594},
    {"iso-8859-5", 28595},  {"iso-8859-6", 28596},   {"iso-8859-7", 28597},
    {"iso-8859-8", 28598},  {"iso-8859-9", 28599},   {"iso-8859-13", 28603},
    {"iso-8859-15", 28605}, {"windows-1250", 1250},  {"windows-1251", 1251},
    {"windows-1252", 1252}, {"windows-1253", 1253},  {"windows-1254", 1254},
    {"windows-1255", 1255}, {"windows-1256", 1256},  {"windows-1257", 1257},
    {"koi8-r", 20866},      {"koi8-u", 21866},       {"shift_jis", 932},
    {"iso-2022-jp", 50220}, {"euc-jp", 20932},       {"gb2312", 936},
    {"gbk", 936},           {"gb18030", 54936},      {"big5", 950},
    {"euc-kr", 949},        {"ks_c_5601-1987", 949}, {"utf-7", CP_UTF7},
};

bool EqualsIgnoringCase(std::string_view a, const char* b)
{
    size_t at = 0;
    for (; at < a.size() && b[at] != '\0'; ++at) {
        if (std::tolower(static_cast<unsigned char>(a[at])) != b[at]) {
            return false;
        }
    }
    return at == a.size() && b[at] == '\0';
}

std::wstring Convert(UINT codePage, DWORD flags, std::string_view bytes, bool* valid)
{
    *valid = true;
    if (bytes.empty()) {
        return std::wstring();
    }
    const int size = bytes.size() > INT_MAX ? INT_MAX : static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (needed <= 0) {
        *valid = false;
        return std::wstring();
    }
    std::wstring text(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), size, text.data(), needed);
    return text;
}

} // namespace

UINT CodePageOfCharset(std::string_view charset)
{
    for (const CharsetName& known : kCharsets) {
        if (EqualsIgnoringCase(charset, known.name)) {
            return known.codePage;
        }
    }
    return 0;
}

std::wstring DecodeCharset(std::string_view bytes, std::string_view charset)
{
    bool valid = true;
    const UINT codePage = CodePageOfCharset(charset);
    if (codePage != 0 && codePage != 20127) {
        std::wstring text = Convert(codePage, 0, bytes, &valid);
        if (valid) {
            return text;
        }
    }
    std::wstring utf8 = Convert(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, &valid);
    return valid ? utf8 : Convert(kWindows1252, 0, bytes, &valid);
}

} // namespace brw::mime
