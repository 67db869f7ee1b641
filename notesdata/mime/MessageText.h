#pragma once
// What of a parsed message is its text and what are its files.
#include "notesdata/mime/MimeEntity.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brw::mime {

// The content of a part kept outside the entity (Part::storedAs), decoded;
// nothing when it cannot be read.
using StoredPartReader = std::function<std::optional<std::string>(const Part&)>;

// The text a reader sees: every text/plain part that is no attachment,
// decoded; an HTML part only as its visible text, and only where no plain
// part stands beside it as an alternative. Parts are kept apart by a blank.
// A text part kept outside the entity is read through readStored; without
// a reader it is left out.
std::wstring MessageText(const Message& message, const StoredPartReader& readStored = nullptr);

// The attachments in the order they stand.
std::vector<const Part*> MessageAttachments(const Message& message);

// The part's bytes with the transfer encoding undone.
std::string DecodedBody(const Part& part);

} // namespace brw::mime
