// A counted list of owned strings, the result of a text-list lookup.
#pragma once
#include <string>
#include <vector>

namespace brw {

class StringList {
public:
    int Count() const noexcept { return static_cast<int>(items_.size()); }
    // Null for an index outside the list, not an error.
    const wchar_t* Item(int index) const noexcept
    {
        if (index < 0 || index >= Count()) {
            return nullptr;
        }
        return items_[static_cast<size_t>(index)].c_str();
    }
    void Reserve(int capacity) { items_.reserve(capacity > 0 ? static_cast<size_t>(capacity) : 0); }
    void Append(std::wstring text) { items_.push_back(std::move(text)); }
    void Clear() noexcept
    {
        items_.clear();
        items_.shrink_to_fit();
    }

private:
    std::vector<std::wstring> items_;
};

} // namespace brw
