#include "platform/winsearch/indexer/RtfText.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

namespace brw::winsearch {

namespace {

// Deeper nesting than this is not a document anyone wrote; the rest is
// read as if flat rather than growing the stack without end.
constexpr size_t kMaxDepth = 256;
constexpr size_t kMaxControlWord = 32;

struct GroupState {
    bool skip = false;
    int unicodeSkip = 1; // \ucN: fallback characters after each \uN
};

const char* const kSkippedDestinations[] = {
    "fonttbl", "colortbl",  "stylesheet", "info",      "pict",         "object",    "header",
    "footer",  "headerl",   "headerr",    "footerl",   "footerr",      "listtable", "listoverridetable",
    "rsidtbl", "generator", "themedata",  "datastore", "latentstyles", "xmlnstbl",  "filetbl",
    "revtbl"};

bool IsSkippedDestination(const std::string& word)
{
    for (const char* name : kSkippedDestinations) {
        if (word == name) {
            return true;
        }
    }
    return false;
}

wchar_t FromCodePage1252(unsigned char byte)
{
    wchar_t c = L'?';
    const char narrow = static_cast<char>(byte);
    MultiByteToWideChar(1252, 0, &narrow, 1, &c, 1);
    return c;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

class RtfReader {
public:
    explicit RtfReader(std::string_view rtf) : rtf_(rtf) { groups_.push_back(GroupState()); }

    std::wstring Read()
    {
        while (position_ < rtf_.size()) {
            const char c = rtf_[position_++];
            if (c == '{') {
                if (groups_.size() < kMaxDepth) {
                    groups_.push_back(groups_.back());
                }
            } else if (c == '}') {
                if (groups_.size() > 1) {
                    groups_.pop_back();
                }
            } else if (c == '\\') {
                Control();
            } else if (c != '\r' && c != '\n') {
                Emit(FromCodePage1252(static_cast<unsigned char>(c)));
            }
        }
        return std::move(text_);
    }

private:
    void Emit(wchar_t c)
    {
        if (pendingSkip_ > 0) {
            --pendingSkip_;
            return;
        }
        if (!groups_.back().skip) {
            text_.push_back(c);
        }
    }

    void Control()
    {
        if (position_ >= rtf_.size()) {
            return;
        }
        const char c = rtf_[position_];
        if (IsAsciiLetter(c)) {
            ControlWord();
            return;
        }
        ++position_;
        switch (c) {
        case '*':
            groups_.back().skip = true;
            break;
        case '\'':
            Hex();
            break;
        case '~':
            Emit(L'\u00A0');
            break;
        case '_':
            Emit(L'-');
            break;
        case '\r':
        case '\n':
            Emit(L'\n');
            break;
        case '-':
            break;
        default:
            Emit(static_cast<wchar_t>(static_cast<unsigned char>(c)));
            break;
        }
    }

    static bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

    void Hex()
    {
        if (rtf_.size() - position_ < 2) {
            position_ = rtf_.size();
            return;
        }
        const int high = HexValue(rtf_[position_]);
        const int low = HexValue(rtf_[position_ + 1]);
        position_ += 2;
        if (high >= 0 && low >= 0) {
            Emit(FromCodePage1252(static_cast<unsigned char>(high * 16 + low)));
        }
    }

    void ControlWord()
    {
        std::string word;
        while (position_ < rtf_.size() && IsAsciiLetter(rtf_[position_])) {
            if (word.size() < kMaxControlWord) {
                word.push_back(rtf_[position_]);
            }
            ++position_;
        }
        bool hasNumber = false;
        long number = 0;
        bool negative = false;
        if (position_ < rtf_.size() && rtf_[position_] == '-') {
            negative = true;
            ++position_;
        }
        int digits = 0;
        while (position_ < rtf_.size() && rtf_[position_] >= '0' && rtf_[position_] <= '9') {
            if (digits++ < 10) {
                number = number * 10 + (rtf_[position_] - '0');
            }
            hasNumber = true;
            ++position_;
        }
        if (negative) {
            number = -number;
        }
        if (position_ < rtf_.size() && rtf_[position_] == ' ') {
            ++position_;
        }
        Apply(word, hasNumber, number);
    }

    void Apply(const std::string& word, bool hasNumber, long number)
    {
        if (word == "par" || word == "line" || word == "sect" || word == "page") {
            Emit(L'\n');
        } else if (word == "tab") {
            Emit(L'\t');
        } else if (word == "uc" && hasNumber) {
            groups_.back().unicodeSkip = number < 0 ? 0 : static_cast<int>(number > 8 ? 8 : number);
        } else if (word == "u" && hasNumber) {
            const long unit = number < 0 ? number + 65536 : number;
            Emit(static_cast<wchar_t>(unit & 0xFFFF));
            pendingSkip_ = groups_.back().unicodeSkip;
        } else if (IsSkippedDestination(word)) {
            groups_.back().skip = true;
        }
    }

    std::string_view rtf_;
    size_t position_ = 0;
    std::vector<GroupState> groups_;
    int pendingSkip_ = 0;
    std::wstring text_;
};

} // namespace

std::wstring RtfToText(std::string_view rtf)
{
    return RtfReader(rtf).Read();
}

} // namespace brw::winsearch
