#pragma once
// The content transfer encodings of mail. Decoding never fails: what does
// not belong to an encoding is skipped or kept as it stands, and the output
// is never longer than the input.
#include <string>
#include <string_view>

namespace brw::mime {

// Characters outside the alphabet are skipped; the first '=' ends the data.
std::string DecodeBase64(std::string_view text);

enum class QuotedPrintableUse {
    Body,        // soft line breaks join lines
    EncodedWord, // '_' stands for a blank
};
// An '=' not followed by two hex digits or a line break is kept literally.
std::string DecodeQuotedPrintable(std::string_view text, QuotedPrintableUse use);

// The length DecodeTransfer would give, without decoding where the
// encoding allows: listing a file needs its size, not its bytes.
size_t DecodedSize(std::string_view body, std::string_view encoding);

// By the Content-Transfer-Encoding value (any case): base64 and
// quoted-printable are decoded, everything else is the bytes themselves.
std::string DecodeTransfer(std::string_view body, std::string_view encoding);

} // namespace brw::mime
