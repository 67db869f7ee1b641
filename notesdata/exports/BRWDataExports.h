#pragma once
// The functions BRWData exports to the connector, declared once for both
// sides. Results are BOOL-like bytes; strings are UTF-16.
#include "notesdata/commands/ExecuteCommand.h"

#include <windows.h>

extern "C" {

// 0 success, 1 the service could not be made, 2 no out pointer.
int WINAPI EntryPoint(IExecuteCommand** service);

BOOLEAN WINAPI ForceIDPasswordPrompt();
BOOLEAN WINAPI GetDatabaseInfo(const wchar_t* path, wchar_t* title, int titleLength, wchar_t* modified,
                               int modifiedLength, BYTE* isMail);
BOOLEAN WINAPI SelectDatabase(HINSTANCE instance, HWND owner, wchar_t* path, int pathLength);
BOOLEAN WINAPI GetServerMailInfo(wchar_t* server, int serverLength, wchar_t* mailFile, int mailFileLength);
void WINAPI BRWTemporaryFileMgr_DeleteFiles();
BOOLEAN WINAPI BRWIndexDocument(const wchar_t* databasePath, const wchar_t* noteIdHex);

// The crawl of crawl_databases in this process. Stop ends it within a
// second and for good (call it before Notes ends at exit; a crawl started
// later ends at once); CrawlNow starts its next pass at once. Both return
// immediately and may be called from any thread.
void WINAPI BRWCrawlStop();
void WINAPI BRWCrawlNow();
// Waits until a pass of the crawl ends, for a status display or a test:
// TRUE when one ended within the time. Passes that end while nobody waits
// count as one.
BOOLEAN WINAPI BRWCrawlWaitForPass(DWORD timeoutMs);

// What the crawl is doing, for the connector's tray tip and list window.
enum BRWCrawlState : DWORD {
    BRWCrawlNotStarted = 0,
    BRWCrawlIndexing = 1, // database and documentsSent say where it is
    BRWCrawlUpToDate = 2, // the last pass ended; passesFinished counts them
};

struct BRWCrawlStatus {
    DWORD size; // sizeof(BRWCrawlStatus), set by the caller
    DWORD state;
    DWORD documentsSent;        // in the database being indexed
    DWORD passesFinished;       // since the process started
    wchar_t database[MAX_PATH]; // as the crawl names it; NUL-terminated
};

// Copies the crawl's state into status; FALSE when status is null or its
// size is not this structure's.
BOOLEAN WINAPI BRWCrawlProgress(BRWCrawlStatus* status);

// What BRWCrawlWatch's message says, in its wParam (lParam is 0).
enum BRWCrawlPassEvent : DWORD {
    BRWCrawlPassBegan = 1, // a database is being indexed: BRWCrawlProgress changes per document
    BRWCrawlPassEnded = 2, // the pass ended, or none runs: BRWCrawlProgress stays as it is
};

// Posts message to window when the crawl begins indexing in a pass and when
// the pass ends (a pass with nothing to index posts only its end), and once
// at once with where the crawl is, so that a window registered during a
// pass learns of it. One window is told; registering another replaces it.
// window must be a window of this process and message WM_USER or above:
// otherwise FALSE, and the window told before is told on. A null window
// ends the posts: once the call returned, nothing more is posted to the
// window that was told (call it before the window is destroyed).
BOOLEAN WINAPI BRWCrawlWatch(HWND window, UINT message);
}
