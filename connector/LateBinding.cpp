#include "connector/LateBinding.h"

#include <atomic>

namespace brw {
namespace {

constexpr wchar_t kClientLibrary[] = L"BRWClient.dll";
constexpr wchar_t kDataLibrary[] = L"BRWData.dll";

enum NotesOrdinal : WORD {
    kNotesTerm = 13,
    kNotesInitExtended = 15,
    kNotesInitThread = 16,
    kNotesTermThread = 17,
    kNotesTranslate = 391,
    kNotesGetEnvironmentString = 416,
};

NotesRuntimeCalls g_notesCalls{};
std::atomic<const NotesRuntimeCalls*> g_notes{nullptr};

// Takes the entry into slot; false when it is missing. Function pointer
// types differ only in their signature, which the table states once.
template <typename Function>
bool Take(HMODULE module, const char* name, Function& slot)
{
    slot = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return slot != nullptr;
}

const char* ByOrdinal(WORD ordinal)
{
    return reinterpret_cast<const char*>(static_cast<ULONG_PTR>(ordinal));
}

// Loaded for the life of the process: bound entries are never left dangling.
HMODULE LoadForGood(const wchar_t* name)
{
    return LoadLibraryW(name);
}

const CommandClientCalls* BindCommandClient()
{
    static CommandClientCalls calls{};
    const HMODULE module = LoadForGood(kClientLibrary);
    const bool bound = module != nullptr && Take(module, "InitializeCommandContext", calls.initialize) &&
                       Take(module, "ClearCommandBuffer", calls.clear) &&
                       Take(module, "ExecuteCommand", calls.execute) &&
                       Take(module, "GetReturnBufferSize", calls.replySize) &&
                       Take(module, "GetReturnBuffer", calls.reply) && Take(module, "FreeCommandContext", calls.free);
    return bound ? &calls : nullptr;
}

const DataServiceCalls* BindDataService()
{
    static DataServiceCalls calls{};
    const HMODULE module = LoadForGood(kDataLibrary);
    const bool bound =
        module != nullptr && Take(module, "ForceIDPasswordPrompt", calls.forcePasswordPrompt) &&
        Take(module, "BRWTemporaryFileMgr_DeleteFiles", calls.deleteTemporaryFiles) &&
        Take(module, "BRWCrawlStop", calls.crawlStop) && Take(module, "BRWCrawlNow", calls.crawlNow) &&
        Take(module, "BRWCrawlProgress", calls.crawlProgress) && Take(module, "BRWCrawlWatch", calls.crawlWatch) &&
        Take(module, "GetDatabaseInfo", calls.getDatabaseInfo) &&
        Take(module, "SelectDatabase", calls.selectDatabase) && Take(module, "BRWIndexDocument", calls.indexDocument);
    return bound ? &calls : nullptr;
}

} // namespace

bool BindNotesRuntime(HMODULE notes) noexcept
{
    NotesRuntimeCalls calls{};
    if (notes == nullptr || !Take(notes, ByOrdinal(kNotesInitExtended), calls.initExtended) ||
        !Take(notes, ByOrdinal(kNotesTerm), calls.term) ||
        !Take(notes, ByOrdinal(kNotesInitThread), calls.initThread) ||
        !Take(notes, ByOrdinal(kNotesTermThread), calls.termThread) ||
        !Take(notes, ByOrdinal(kNotesTranslate), calls.translate) ||
        !Take(notes, ByOrdinal(kNotesGetEnvironmentString), calls.getEnvironmentString)) {
        return false;
    }
    g_notesCalls = calls;
    g_notes = &g_notesCalls;
    return true;
}

void UnbindNotesRuntime() noexcept
{
    g_notes = nullptr;
}

const NotesRuntimeCalls* NotesRuntime() noexcept
{
    return g_notes;
}

const CommandClientCalls* CommandClient() noexcept
{
    static const CommandClientCalls* const calls = BindCommandClient();
    return calls;
}

const DataServiceCalls* DataService() noexcept
{
    static const DataServiceCalls* const calls = BindDataService();
    return calls;
}

} // namespace brw
