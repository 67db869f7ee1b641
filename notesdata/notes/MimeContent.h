#pragma once
// A note's MIME entity, joined from its MIME part items, with the parts the
// reader found in it. The parts point into the entity, so the two live
// together, on the heap, where the entity's bytes never move.
#include "notesdata/mime/MimeEntity.h"

#include <string>

namespace brw {

struct MimeContent {
    std::string entity;
    mime::Message message;
};

} // namespace brw
