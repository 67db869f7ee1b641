#include "notesdata/notes/NotesText.h"

#include <notesapi.h>

#include <vector>

namespace brw {
namespace {

// Pieces stay far below the API's 16-bit lengths: an LMBCS character is at
// most 3 bytes and becomes at most 2 UTF-16 units.
constexpr size_t kLmbcsPiece = 16000;
constexpr size_t kWidePiece = 8000;

} // namespace

size_t LmbcsPieceLength(const char* text, size_t remaining, size_t limit)
{
    if (remaining <= limit) {
        return remaining;
    }
    // Step back from one past the limit: landing on the limit means the
    // piece already ends on a boundary, else it ends where we landed.
    BYTE* position = reinterpret_cast<BYTE*>(const_cast<char*>(text)) + limit + 1;
    NLS_goto_prev(&position, reinterpret_cast<const BYTE*>(text), OSGetLMBCSCLS());
    const size_t length = static_cast<size_t>(position - reinterpret_cast<const BYTE*>(text));
    return length == 0 || length > limit ? limit : length;
}

std::wstring LmbcsToWide(const char* text, size_t length)
{
    std::wstring result;
    if (text == nullptr) {
        return result;
    }
    std::vector<char> buffer(kLmbcsPiece * 2 + 4);
    while (length > 0) {
        const size_t piece = LmbcsPieceLength(text, length, kLmbcsPiece);
        const WORD written = OSTranslate(OS_TRANSLATE_LMBCS_TO_UNICODE, text, static_cast<WORD>(piece), buffer.data(),
                                         static_cast<WORD>(buffer.size()));
        result.append(reinterpret_cast<const wchar_t*>(buffer.data()), written / sizeof(wchar_t));
        text += piece;
        length -= piece;
    }
    return result;
}

std::string WideToLmbcs(const wchar_t* text, size_t length)
{
    std::string result;
    if (text == nullptr) {
        return result;
    }
    std::vector<char> buffer(kWidePiece * 3 + 4);
    while (length > 0) {
        size_t piece = length < kWidePiece ? length : kWidePiece;
        // A surrogate pair stays in one piece.
        if (piece < length && IS_HIGH_SURROGATE(text[piece - 1])) {
            --piece;
        }
        const WORD written =
            OSTranslate(OS_TRANSLATE_UNICODE_TO_LMBCS, reinterpret_cast<const char*>(text),
                        static_cast<WORD>(piece * sizeof(wchar_t)), buffer.data(), static_cast<WORD>(buffer.size()));
        result.append(buffer.data(), written);
        text += piece;
        length -= piece;
    }
    return result;
}

std::wstring ToLowerText(std::wstring text)
{
    if (!text.empty()) {
        CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    }
    return text;
}

} // namespace brw
