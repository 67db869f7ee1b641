#pragma once
// get_document: one document's fields, body file and attachments, or one
// attachment extracted to disk.
#include <memory>

#include "notesdata/CmdBase.h"

namespace brw {

std::unique_ptr<CmdBase> MakeGetDocument(IXMLDOMElement* element);

}  // namespace brw
