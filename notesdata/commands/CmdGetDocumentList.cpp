#include "notesdata/commands/CmdGetDocumentList.h"

#include "notesdata/commands/RequestXml.h"
#include "notesdata/notes/NoteTableWalk.h"
#include "notesdata/notes/NotesTime.h"

namespace brw {

bool CmdGetDocumentList::ReadAttributes()
{
    CmdDatabaseOperation::ReadAttributes();
    since_ = ReadTextAttribute(Element(), L"since", L"");
    return true;
}

int CmdGetDocumentList::Execute(ReplyWriter* writer)
{
    const TIMEDATE since = EarliestTime();
    Db db;
    if (!OpenDatabase(db, DatabasePathForNotes(DatabasePath()))) {
        return 1;
    }
    writer_ = writer;
    writer->Begin();
    writer->OpenElement(L"documents");
    WalkModifiedDocuments(db.Handle(), since, *this);
    writer->CloseElement(L"documents");
    return 0;
}

bool CmdGetDocumentList::OnNoteId(DWORD id)
{
    return SUCCEEDED(writer_->AppendFormat(L"<d>%X</d>", static_cast<long>(id)));
}

std::unique_ptr<CmdBase> MakeGetDocumentList(IXMLDOMElement* element)
{
    return std::make_unique<CmdGetDocumentList>(element);
}

} // namespace brw
