// BRWSearchQuery: searches the stand-in's catalogue (see QueryOptions.h for
// the command line). Exit code 0 with results or none, 2 for a bad command
// line or an unreadable catalogue.
#include "common/WideString.h"
#include "platform/winsearch/core/Catalogue.h"
#include "platform/winsearch/core/CatalogueSnapshot.h"
#include "platform/winsearch/core/SharedState.h"
#include "platform/winsearch/core/StateFolder.h"
#include "platform/winsearch/core/StateLock.h"
#include "platform/winsearch/query/QueryOptions.h"
#include "platform/winsearch/query/ResultFormat.h"

namespace {

using namespace brw::winsearch;

void Print(const std::wstring& text)
{
    const std::string bytes = brw::WideToUtf8(text);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::uint64_t FileLength(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The host's snapshot when it covers the catalogue as it is now; otherwise
// the catalogue itself, read whole.
HRESULT RunQuery(const QueryRequest& request, std::vector<ItemRecord>* results)
{
    const std::wstring folder = StateFolder();
    if (folder.empty()) {
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    }
    CatalogueIdentity identity;
    {
        StateLock lock(folder);
        if (FAILED(lock.Status())) {
            return lock.Status();
        }
        const HRESULT hr = LoadIdentity(folder, &identity);
        if (FAILED(hr)) {
            return hr;
        }
    }
    const std::wstring path = CatalogueFilePath(folder, identity.resetSignature);
    CatalogueSnapshot snapshot;
    if (snapshot.Open(SnapshotFilePath(folder, identity.resetSignature), FileLength(path)) == S_OK) {
        *results = snapshot.Query(request);
        return S_OK;
    }
    Catalogue catalogue;
    const HRESULT hr = catalogue.Load(path);
    if (SUCCEEDED(hr)) {
        for (const ItemRecord* item : catalogue.Query(request)) {
            results->push_back(*item);
        }
    }
    return hr;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    QueryOptions options;
    std::wstring error;
    if (!ParseQueryOptions(argc, argv, &options, &error)) {
        Print(error + L"\nusage: BRWSearchQuery [--json] [--kind K] [--author A] [--type T] [--from YYYY-MM-DD] "
                      L"[--to YYYY-MM-DD] [--max N] word...\n");
        return 2;
    }
    std::vector<ItemRecord> results;
    const HRESULT hr = RunQuery(options.request, &results);
    if (FAILED(hr)) {
        Print(brw::FormatText(L"cannot read the catalogue: 0x%08X\n", static_cast<unsigned>(hr)));
        return 2;
    }
    std::vector<const ItemRecord*> shown;
    for (const ItemRecord& item : results) {
        shown.push_back(&item);
    }
    Print(options.json ? FormatResultsJson(shown) : FormatResultsText(shown));
    return 0;
}
