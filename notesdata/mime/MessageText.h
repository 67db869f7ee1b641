#pragma once
// What of a parsed message is its text and what are its files.
#include "notesdata/mime/MimeEntity.h"

#include <string>
#include <vector>

namespace brw::mime {

// The text a reader sees: every text/plain part that is no attachment,
// decoded; an HTML part only as its visible text, and only where no plain
// part stands beside it as an alternative. Parts are kept apart by a blank.
std::wstring MessageText(const Message& message);

// The attachments in the order they stand.
std::vector<const Part*> MessageAttachments(const Message& message);

// The part's bytes with the transfer encoding undone.
std::string DecodedBody(const Part& part);

} // namespace brw::mime
