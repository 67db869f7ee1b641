#pragma once
// A MIME entity (headers, then a body that may hold further entities)
// taken apart into the parts that carry content. The bytes come from mail
// anyone could have sent, so every step is bounded: nesting depth, number
// of parts, length of one header field and of the whole entity. Nothing is
// copied; the parts point into the caller's bytes, which must outlive them.
#include <string>
#include <string_view>
#include <vector>

namespace brw::mime {

struct Limits {
    size_t maxDepth = 32;
    size_t maxParts = 512;
    size_t maxHeaderFieldBytes = 16 * 1024;
    size_t maxEntityBytes = 64 * 1024 * 1024;
};

struct Part {
    std::string type;        // "text/plain", lower case; the default when none is given
    std::string charset;     // as written, may be empty
    std::string encoding;    // Content-Transfer-Encoding as written
    std::string disposition; // "inline", "attachment", lower case; may be empty
    std::wstring fileName;   // filename or name parameter, decoded; may be empty
    // The nearest multipart/alternative around the part (1, 2, ... in the
    // order they open), 0 when there is none: of alternatives one is shown.
    size_t alternativeGroup = 0;
    std::string_view body; // transfer-encoded, as it stands in the entity
    // Where the part's data is kept when it stands outside the entity (the
    // name the store gives it); body is empty then. Empty for a part whose
    // data is its body.
    std::string storedAs;
};

enum class ParseOutcome {
    Complete,
    Truncated, // a limit was reached: the parts found before it are kept
    Rejected,  // larger than maxEntityBytes: no parts
};

struct Message {
    std::vector<Part> parts; // leaf parts in the order they stand
    ParseOutcome outcome = ParseOutcome::Complete;
};

Message ParseEntity(std::string_view entity, const Limits& limits = Limits());

// A part the reader opens as a file rather than reads as the message text:
// marked as an attachment, or named and not text.
bool IsAttachment(const Part& part);

} // namespace brw::mime
