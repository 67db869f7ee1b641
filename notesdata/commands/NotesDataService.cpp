#include "notesdata/NotesDataService.h"

#include <notesapi.h>

#include <iterator>
#include <new>

#include "notesdata/CmdGetDatabaseList.h"
#include "notesdata/CmdGetDocument.h"
#include "notesdata/CmdGetDocumentList.h"
#include "notesdata/CommandDispatch.h"

namespace brw {
namespace {

const CommandEntry kCommands[] = {
    {L"get_database_list", &MakeGetDatabaseList},
    {L"get_modified_document_list", &MakeGetDocumentList},
    {L"get_document", &MakeGetDocument},
};

}  // namespace

NotesDataService::NotesDataService()
{
    NotesInitExtended(0, nullptr);
    exporter_.emplace();
}

ULONG NotesDataService::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG NotesDataService::Release()
{
    const LONG remaining = InterlockedDecrement(&references_);
    if (remaining == 0) {
        exporter_.reset();
        NotesTerm();
        delete this;
    }
    return static_cast<ULONG>(remaining);
}

int NotesDataService::Execute(ReplyWriter* writer, const wchar_t* request)
{
    // Exceptions never leave the library: its caller has a runtime of its own.
    try {
        return DispatchRequest(kCommands, std::size(kCommands), writer, request);
    } catch (const std::bad_alloc&) {
        return 1;
    }
}

}  // namespace brw
