// The full-text index of the catalogue: for every word, the slots of the
// items that contain it, in ascending order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brw::winsearch {

// Longer runs of letters are cut: nobody searches for them, and a filter
// that emits one endless word must not make one endless key.
constexpr size_t kMaxWordLength = 64;

// Words are runs of letters and digits, in lower case.
std::vector<std::wstring> SplitWords(std::wstring_view text);

class WordIndex {
public:
    // Slots must be added in ascending order.
    void Add(std::uint32_t slot, std::wstring_view text);
    // Slots holding every one of words (all of them, when words is empty
    // the caller must enumerate the items itself).
    std::vector<std::uint32_t> Match(const std::vector<std::wstring>& words) const;
    void Clear() { postings_.clear(); }
    template <typename Visit>
    void ForEach(Visit visit) const
    {
        for (const auto& entry : postings_) {
            visit(entry.first, entry.second);
        }
    }

private:
    std::unordered_map<std::wstring, std::vector<std::uint32_t>> postings_;
};

} // namespace brw::winsearch
