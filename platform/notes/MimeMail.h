// Received Internet mail as Notes stores it: header fields as RFC822 text
// items and the message as MIME part items, in the shapes mailers send
// (plain, quoted-printable, HTML with a plain alternative, HTML only,
// mixed with files), with encoded words in the subject and names.
#pragma once
#include "platform/notes/NsfFile.h"

#include <string>
#include <vector>

namespace generator {

struct MailAddress {
    std::string name;    // UTF-8, may be empty
    std::string address; // user@host
};

struct MailFile {
    std::string name; // ASCII
    std::string bytes;
};

struct MimeMemo {
    std::string subject; // UTF-8
    MailAddress from;
    std::vector<MailAddress> to;
    std::vector<MailAddress> cc;
    TIMEDATE posted{};
    TIMEDATE delivered{};
    std::vector<std::string> paragraphs; // UTF-8
    std::vector<MailFile> files;
};

enum class MimeStyle { Plain, QuotedPrintable, Alternative, HtmlOnly, Mixed };

// The memo's items: its header items, its MIME parts (a part longer than
// one item holds is split over several), $NoteHasNativeMIME. variant picks
// the charsets and encodings of the encoded words.
std::vector<nsf::ItemData> MimeMemoItems(const MimeMemo& memo, MimeStyle style, unsigned variant);

} // namespace generator
