#pragma once
// get_modified_document_list: every document note id of a database, from
// its modified-note table since the earliest time.
#include "notesdata/commands/CmdDatabaseOperation.h"
#include "notesdata/notes/Processors.h"

#include <string>

namespace brw {

class CmdGetDocumentList final : public CmdDatabaseOperation, private IIDTableProcessor {
public:
    using CmdDatabaseOperation::CmdDatabaseOperation;

    bool ReadAttributes() override;
    int Execute(ReplyWriter* writer) override;

private:
    bool OnNoteId(DWORD id) override;

    // Kept as sent; the list is always complete, whatever the client asks.
    std::wstring since_;
    ReplyWriter* writer_ = nullptr;
};

std::unique_ptr<CmdBase> MakeGetDocumentList(IXMLDOMElement* element);

} // namespace brw
