#pragma once
// The libraries this program calls but does not import: nnotes.dll, which
// must be loaded from the Notes program directory before anything that
// depends on it, and BRWData and BRWClient, which import nnotes.dll and so
// can only be loaded after it. Each is bound explicitly into a small typed
// table: Notes by ordinal once start-up has loaded it, the other two by name
// at their first use.
#include "connector/BRWClient.h"
#include "notesdata/exports/BRWDataExports.h"

#include <windows.h>

namespace brw {

using NotesStatus = WORD;

struct NotesRuntimeCalls {
    NotesStatus(WINAPI* initExtended)(int argc, char** argv);                                     // ordinal 15
    void(WINAPI* term)();                                                                         // ordinal 13
    NotesStatus(WINAPI* initThread)();                                                            // ordinal 16
    void(WINAPI* termThread)();                                                                   // ordinal 17
    BOOL(WINAPI* getEnvironmentString)(const char* name, char* value, WORD valueLength);          // ordinal 416
    WORD(WINAPI* translate)(WORD mode, const char* in, WORD inLength, char* out, WORD outLength); // ordinal 391
};

struct CommandClientCalls {
    int(WINAPI* initialize)(BRWCommandContext* context);
    int(WINAPI* clear)(BRWCommandContext context);
    int(WINAPI* execute)(BRWCommandContext context, const wchar_t* command);
    int(WINAPI* replySize)(BRWCommandContext context);
    int(WINAPI* reply)(BRWCommandContext context, BYTE* buffer, int bufferSize, DWORD* length);
    int(WINAPI* free)(BRWCommandContext context);
};

struct DataServiceCalls {
    BOOLEAN(WINAPI* forcePasswordPrompt)();
    void(WINAPI* deleteTemporaryFiles)();
    void(WINAPI* crawlStop)();
    void(WINAPI* crawlNow)();
    BOOLEAN(WINAPI* crawlProgress)(BRWCrawlStatus* status);
    BOOLEAN(WINAPI* crawlWatch)(HWND window, UINT message);
    BOOLEAN(WINAPI* getDatabaseInfo)
    (const wchar_t* path, wchar_t* title, int titleLength, wchar_t* modified, int modifiedLength, BYTE* isMail);
    BOOLEAN(WINAPI* selectDatabase)(HINSTANCE instance, HWND owner, wchar_t* path, int pathLength);
    BOOLEAN(WINAPI* indexDocument)(const wchar_t* databasePath, const wchar_t* noteIdHex);
};

// Binds the Notes entry points from the loaded library; false (and nothing
// bound) when one of them is missing.
bool BindNotesRuntime(HMODULE notes) noexcept;
// Forgets them before the library is freed.
void UnbindNotesRuntime() noexcept;
// Null until bound.
const NotesRuntimeCalls* NotesRuntime() noexcept;

// Loaded and bound at the first call; null, then and ever after, when the
// library or one of its functions is missing.
const CommandClientCalls* CommandClient() noexcept;
const DataServiceCalls* DataService() noexcept;

} // namespace brw
