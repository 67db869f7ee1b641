#include "notesdata/BRWDataExports.h"

#include <notesapi.h>

#include <new>

#include "notesdata/NotesDataService.h"
#include "notesdata/RtfExporter.h"
#include "notesdata/TemporaryFiles.h"

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
    // Each service initialises Notes once more; its last release ends it.
    NotesInitExtended(0, nullptr);
    brw::LoadRtfExporter();
    created->AddRef();
    *service = created;
    return 0;
}

BOOLEAN WINAPI ForceIDPasswordPrompt()
{
    return FALSE;
}

BOOLEAN WINAPI GetDatabaseInfo(const wchar_t*, wchar_t*, int, wchar_t*, int, BYTE*)
{
    return FALSE;
}

BOOLEAN WINAPI SelectDatabase(HINSTANCE, HWND, wchar_t* path, int pathLength)
{
    if (path != nullptr && pathLength > 0) {
        path[0] = L'\0';
    }
    return FALSE;
}

BOOLEAN WINAPI GetServerMailInfo(wchar_t*, int, wchar_t*, int)
{
    return FALSE;
}

void WINAPI BRWTemporaryFileMgr_DeleteFiles()
{
    brw::BRWTemporaryFileMgr::Instance().DeleteFiles();
}

BOOLEAN WINAPI BRWIndexDocument(const wchar_t*, const wchar_t*)
{
    return FALSE;
}
