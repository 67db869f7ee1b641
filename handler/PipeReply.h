// The reply buffer every handler object owns: the last reply of the
// connector, always NUL-terminated, and the read position of the document
// id walk.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace brw {

class PipeReply {
public:
    // The buffer starts at 16384 units and grows for longer replies.
    static constexpr size_t kInitialUnits = 16384;

    PipeReply() : text_(kInitialUnits + 1, L'\0') {}

    const wchar_t* Text() const noexcept { return text_.data(); }
    // Units of the last reply, not counting the terminator.
    size_t Length() const noexcept { return length_; }

    // Read position of NextDocumentId, in units. A new request does not
    // reset it; a caller that reuses one reply for two lists resets it.
    size_t position = 0;

    // For the exchange: makes room for at least units + 1, zero-filled.
    // Throws std::bad_alloc.
    void Reserve(size_t units)
    {
        if (text_.size() < units + 1) {
            text_.resize(units + 1, L'\0');
        }
    }
    wchar_t* Buffer() noexcept { return text_.data(); }
    size_t Capacity() const noexcept { return text_.size() - 1; }
    // Puts a reply in place as if it had arrived. Throws std::bad_alloc.
    void Assign(const wchar_t* text, size_t units)
    {
        Clear();
        Reserve(units);
        std::copy(text, text + units, text_.begin());
        SetLengthInBytes(units * sizeof(wchar_t));
    }
    void Clear() noexcept
    {
        std::fill(text_.begin(), text_.end(), L'\0');
        length_ = 0;
    }
    // Takes the reply's byte count; an odd last byte stays in its unit, which
    // therefore is not NUL, so a marker never matches a reply with one.
    void SetLengthInBytes(size_t bytes) noexcept
    {
        length_ = (bytes + 1) / 2;
        text_[length_] = L'\0';
    }

private:
    std::vector<wchar_t> text_;
    size_t length_ = 0;
};

} // namespace brw
