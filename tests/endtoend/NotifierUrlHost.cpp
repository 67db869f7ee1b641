// The crawl's notifier on its own, for end-to-end tests of the URLs it
// builds:
//   brw_notifier_url_host <notes.ini> <identity> <database path> <note id, hex>
// Opens the database as the crawl does, hands the note id to an
// IndexNotifier and prints the URL it sends to the catalogue, one line.
#include "common/WideString.h"
#include "notesdata/crawl/IndexNotifier.h"
#include "notesdata/notes/Db.h"

#include <windows.h>
#include <notesapi.h>
#include <searchapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// Keeps the URLs the notifier hands over instead of the catalogue.
class RecordingSink final : public ISearchItemsChangedSink {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override
    {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE StartedMonitoringScope(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE StoppedMonitoringScope(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnItemsChanged(DWORD count, SEARCH_ITEM_CHANGE entries[], DWORD[],
                                             HRESULT statuses[]) override
    {
        for (DWORD i = 0; i < count; ++i) {
            urls.push_back(entries[i].lpwszURL);
            statuses[i] = S_OK;
        }
        return S_OK;
    }

    std::vector<std::wstring> urls;
};

bool StartNotes(const wchar_t* iniPath)
{
    std::string ini = "=" + brw::WideToUtf8(iniPath);
    char program[] = "brw_notifier_url_host";
    char* notesArguments[] = {program, ini.data()};
    return NotesInitExtended(2, notesArguments) == NOERROR_STATUS && NotesInitThread() == NOERROR_STATUS;
}

int PrintNotifiedUrl(const wchar_t* identity, const wchar_t* path, DWORD noteId)
{
    brw::Db db;
    if (!db.OpenByWidePath(path)) {
        std::fprintf(stderr, "cannot open the database\n");
        return 1;
    }
    RecordingSink sink;
    {
        brw::IndexNotifier notifier(identity, db.ReplicaId(), db.FullPath(), &sink);
        if (!notifier.OnNoteId(noteId) || !notifier.Flush()) {
            std::fprintf(stderr, "the notifier did not hand the note over\n");
            return 1;
        }
    }
    if (sink.urls.size() != 1) {
        std::fprintf(stderr, "expected one URL, got %u\n", static_cast<unsigned>(sink.urls.size()));
        return 1;
    }
    std::printf("%s\n", brw::WideToUtf8(sink.urls[0]).c_str());
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: brw_notifier_url_host <notes.ini> <identity> <database path> <note id>\n");
        return 2;
    }
    if (!StartNotes(argv[1])) {
        std::fprintf(stderr, "Notes does not start\n");
        return 1;
    }
    const DWORD noteId = std::wcstoul(argv[4], nullptr, 16);
    const int result = PrintNotifiedUrl(argv[2], argv[3], noteId);
    NotesTermThread();
    NotesTerm();
    return result;
}
