#include "notesdata/commands/NotesDataService.h"
#include "notesdata/crawl/CrawlControl.h"
#include "notesdata/exports/BRWDataExports.h"
#include "notesdata/exports/IndexDocument.h"
#include "notesdata/exports/SelectDatabase.h"
#include "notesdata/files/TemporaryFiles.h"
#include "notesdata/notes/DatabaseInfo.h"
#include "notesdata/notes/DbIterator.h"
#include "notesdata/notes/MailDbName.h"

#include <notesapi.h>

#include <new>

int WINAPI EntryPoint(IExecuteCommand** service)
{
    if (service == nullptr) {
        return 2;
    }
    *service = nullptr;
    auto* created = new (std::nothrow) brw::NotesDataService();
    if (created == nullptr) {
        return 1;
    }
    created->AddRef();
    *service = created;
    return 0;
}

BOOLEAN WINAPI ForceIDPasswordPrompt()
{
    return brw::ForceDatabaseOpens() ? TRUE : FALSE;
}

BOOLEAN WINAPI GetDatabaseInfo(const wchar_t* path, wchar_t* title, int titleLength, wchar_t* modified,
                               int modifiedLength, BYTE* isMail)
{
    return brw::ReadDatabaseInfo(path, title, titleLength, modified, modifiedLength, isMail) ? TRUE : FALSE;
}

BOOLEAN WINAPI SelectDatabase(HINSTANCE instance, HWND owner, wchar_t* path, int pathLength)
{
    return brw::ShowSelectDatabaseDialog(instance, owner, path, pathLength) ? TRUE : FALSE;
}

BOOLEAN WINAPI GetServerMailInfo(wchar_t* server, int serverLength, wchar_t* mailFile, int mailFileLength)
{
    return brw::ReadServerMailInfo(server, serverLength, mailFile, mailFileLength) ? TRUE : FALSE;
}

void WINAPI BRWTemporaryFileMgr_DeleteFiles()
{
    brw::BRWTemporaryFileMgr::Instance().DeleteFiles();
}

BOOLEAN WINAPI BRWIndexDocument(const wchar_t* path, const wchar_t* noteId)
{
    return brw::IndexDocument(path, noteId) ? TRUE : FALSE;
}

void WINAPI BRWCrawlStop()
{
    brw::CrawlControl::Process().RequestStop();
}

void WINAPI BRWCrawlNow()
{
    brw::CrawlControl::Process().RequestCrawlNow();
}

BOOLEAN WINAPI BRWCrawlWaitForPass(DWORD timeoutMs)
{
    return brw::CrawlControl::Process().WaitForPassFinished(timeoutMs) ? TRUE : FALSE;
}

BOOLEAN WINAPI BRWCrawlProgress(BRWCrawlStatus* status)
{
    return brw::CrawlControl::Process().Progress().CopyTo(status) ? TRUE : FALSE;
}

BOOLEAN WINAPI BRWCrawlWatch(HWND window, UINT message)
{
    brw::CrawlWatch& watch = brw::CrawlControl::Process().Progress().Watch();
    if (window == nullptr) {
        watch.Unregister();
        return TRUE;
    }
    return watch.Register(window, message) == brw::WatchRegistration::Accepted ? TRUE : FALSE;
}
