// Until the data service exists every export reports failure: nothing here
// can open a database or make a service.
#include "notesdata/BRWDataExports.h"

int WINAPI EntryPoint(IExecuteCommand** service)
{
    if (service == nullptr) {
        return 2;
    }
    *service = nullptr;
    return 1;
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

void WINAPI BRWTemporaryFileMgr_DeleteFiles() {}

BOOLEAN WINAPI BRWIndexDocument(const wchar_t*, const wchar_t*)
{
    return FALSE;
}
