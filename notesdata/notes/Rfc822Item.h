#pragma once
// The value of an Internet mail header item as the reply shows the same
// field of a classic memo: a date as a time, an address list as its
// addresses, any other header as its decoded text.
#include <notesapi.h>

#include <string>
#include <vector>

namespace brw {

struct Rfc822Value {
    enum class Kind {
        None, // damaged, empty, or a date that neither its time value nor its text gives
        Time,
        Text,
        TextList,
    };
    Kind kind = Kind::None;
    TIMEDATE time{};
    std::vector<std::wstring> texts; // one for Text
};

// value: the item's bytes after the type word. Lengths in the descriptor
// that run past the value give Kind::None.
Rfc822Value ReadRfc822Value(const char* value, DWORD length);

} // namespace brw
