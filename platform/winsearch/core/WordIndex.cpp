#include "platform/winsearch/core/WordIndex.h"

#include <windows.h>

#include <algorithm>

namespace brw::winsearch {

namespace {

bool IsWordCharacter(wchar_t c)
{
    if (c < 0x80) {
        return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
    }
    return IsCharAlphaNumericW(c) != FALSE;
}

void Lower(std::wstring* word)
{
    for (wchar_t& c : *word) {
        if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c + (L'a' - L'A'));
        }
    }
    if (std::any_of(word->begin(), word->end(), [](wchar_t c) { return c >= 0x80; })) {
        CharLowerBuffW(word->data(), static_cast<DWORD>(word->size()));
    }
}

template <typename Visit>
void ForEachWord(std::wstring_view text, Visit visit)
{
    size_t i = 0;
    std::wstring word;
    while (i < text.size()) {
        while (i < text.size() && !IsWordCharacter(text[i])) {
            ++i;
        }
        const size_t start = i;
        while (i < text.size() && IsWordCharacter(text[i])) {
            ++i;
        }
        if (i > start) {
            word.assign(text.substr(start, std::min(i - start, kMaxWordLength)));
            Lower(&word);
            visit(word);
        }
    }
}

} // namespace

std::vector<std::wstring> SplitWords(std::wstring_view text)
{
    std::vector<std::wstring> words;
    ForEachWord(text, [&](const std::wstring& word) { words.push_back(word); });
    return words;
}

void WordIndex::Add(std::uint32_t slot, std::wstring_view text)
{
    ForEachWord(text, [&](const std::wstring& word) {
        std::vector<std::uint32_t>& slots = postings_[word];
        if (slots.empty() || slots.back() != slot) {
            slots.push_back(slot);
        }
    });
}

std::vector<std::uint32_t> WordIndex::Match(const std::vector<std::wstring>& words) const
{
    std::vector<const std::vector<std::uint32_t>*> lists;
    for (const std::wstring& word : words) {
        const auto found = postings_.find(word);
        if (found == postings_.end()) {
            return {};
        }
        lists.push_back(&found->second);
    }
    if (lists.empty()) {
        return {};
    }
    // Shortest list first keeps every intersection as small as possible.
    std::sort(lists.begin(), lists.end(), [](auto a, auto b) { return a->size() < b->size(); });
    std::vector<std::uint32_t> result = *lists.front();
    std::vector<std::uint32_t> next;
    for (size_t i = 1; i < lists.size() && !result.empty(); ++i) {
        next.clear();
        std::set_intersection(result.begin(), result.end(), lists[i]->begin(), lists[i]->end(),
                              std::back_inserter(next));
        result.swap(next);
    }
    return result;
}

} // namespace brw::winsearch
