// The reply buffer every handler object owns: the last reply of the
// connector, always NUL-terminated, and the read position of the document
// id walk. A reply is read by its received length; a U+0000 inside it is
// kept as a blank, so no value can end the reply early for a reader that
// stops at the first NUL.
#pragma once
#include "common/PipeProtocol.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

namespace brw {

class PipeReply {
public:
    // The buffer starts as large as the pipe's and grows for longer replies.
    static constexpr size_t kInitialUnits = kPipeBufferBytes / sizeof(wchar_t);
    // What a U+0000 inside a reply is read as.
    static constexpr wchar_t kNulStandIn = L' ';

    PipeReply() : text_(kInitialUnits + 1, L'\0') {}

    const wchar_t* Text() const noexcept { return text_.data(); }
    // Units of the last reply, not counting the terminator.
    size_t Length() const noexcept { return length_; }
    // The last reply, exactly as long as it was received.
    std::wstring_view View() const noexcept { return std::wstring_view(text_.data(), length_); }

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
    // therefore is not NUL, so a marker never matches a reply with one. NULs
    // at the end are a terminator sent with the reply, not text.
    void SetLengthInBytes(size_t bytes) noexcept
    {
        length_ = (bytes + 1) / 2;
        while (length_ > 0 && text_[length_ - 1] == L'\0') {
            --length_;
        }
        std::replace(text_.begin(), text_.begin() + length_, L'\0', kNulStandIn);
        text_[length_] = L'\0';
    }

private:
    std::vector<wchar_t> text_;
    size_t length_ = 0;
};

} // namespace brw
