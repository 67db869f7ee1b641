#include "notesdata/commands/NotesDataService.h"

#include "notesdata/commands/CmdGetDatabaseList.h"
#include "notesdata/commands/CmdGetDocument.h"
#include "notesdata/commands/CmdGetDocumentList.h"
#include "notesdata/commands/CommandDispatch.h"
#include "notesdata/crawl/CmdCrawlDatabases.h"

#include <notesapi.h>

#include <iterator>
#include <new>

namespace brw {
namespace {

const CommandEntry kCommands[] = {
    {L"get_database_list", &MakeGetDatabaseList},
    {L"get_modified_document_list", &MakeGetDocumentList},
    {L"get_document", &MakeGetDocument},
    {L"crawl_databases", &MakeCrawlDatabases},
};

} // namespace

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
        return DispatchRequest(kCommands, std::size(kCommands), writer, request, &domClass_);
    } catch (const std::bad_alloc&) {
        return 1;
    }
}

} // namespace brw
