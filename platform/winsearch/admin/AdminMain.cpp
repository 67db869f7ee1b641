// BRWSearchAdmin: drives the search manager's COM interfaces from a command
// line, in either architecture, for tests and the demo.
//
//   BRWSearchAdmin addroot URL [--notifications-only]
//   BRWSearchAdmin removeroot URL
//   BRWSearchAdmin included URL
//   BRWSearchAdmin notify add|modify|delete [--high] URL...
//   BRWSearchAdmin identity | reset | count
//
// Every command prints "result 0x..." last; the exit code is 0 on success.
#include "common/ComHolders.h"
#include "common/WideString.h"

#include <objbase.h>
#include <searchapi.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

using brw::ComPtr;
using brw::FormatText;

void Print(const std::wstring& text)
{
    const std::string bytes = brw::WideToUtf8(text + L"\n");
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

HRESULT OpenCatalog(ISearchCatalogManager** catalog)
{
    ComPtr<ISearchManager> manager;
    HRESULT hr = CoCreateInstance(CLSID_CSearchManager, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                  IID_ISearchManager, manager.put_void());
    return SUCCEEDED(hr) ? manager->GetCatalog(L"SystemIndex", catalog) : hr;
}

HRESULT OpenScope(ISearchCrawlScopeManager** scope)
{
    ComPtr<ISearchCatalogManager> catalog;
    HRESULT hr = OpenCatalog(catalog.put());
    return SUCCEEDED(hr) ? catalog->GetCrawlScopeManager(scope) : hr;
}

HRESULT AddRoot(const wchar_t* url, bool notificationsOnly)
{
    ComPtr<ISearchCrawlScopeManager> scope;
    ComPtr<ISearchRoot> root;
    HRESULT hr = OpenScope(scope.put());
    if (SUCCEEDED(hr)) {
        hr = CoCreateInstance(CLSID_CSearchRoot, nullptr, CLSCTX_ALL, IID_ISearchRoot, root.put_void());
    }
    if (SUCCEEDED(hr)) {
        hr = root->put_RootURL(url);
    }
    if (SUCCEEDED(hr)) {
        root->put_IsHierarchical(TRUE);
        root->put_ProvidesNotifications(TRUE);
        root->put_UseNotificationsOnly(notificationsOnly ? TRUE : FALSE);
        hr = scope->AddRoot(root.get());
    }
    if (SUCCEEDED(hr)) {
        hr = scope->AddHierarchicalScope(url, TRUE, TRUE, FALSE);
    }
    return SUCCEEDED(hr) ? scope->SaveAll() : hr;
}

HRESULT RemoveRoot(const wchar_t* url)
{
    ComPtr<ISearchCrawlScopeManager> scope;
    HRESULT hr = OpenScope(scope.put());
    if (SUCCEEDED(hr)) {
        hr = scope->RemoveRoot(url);
    }
    if (hr == S_OK) {
        hr = scope->SaveAll();
    }
    return hr;
}

HRESULT Included(const wchar_t* url)
{
    ComPtr<ISearchCrawlScopeManager> scope;
    BOOL included = FALSE;
    HRESULT hr = OpenScope(scope.put());
    if (SUCCEEDED(hr)) {
        hr = scope->IncludedInCrawlScope(url, &included);
    }
    Print(FormatText(L"included %d", included ? 1 : 0));
    return hr;
}

// The catalogue's items-changed sink with the catalogue identity it reports.
HRESULT OpenItemsChangedSink(ComPtr<ISearchItemsChangedSink>& sink, GUID* reset, GUID* checkpoint, DWORD* number)
{
    ComPtr<ISearchCatalogManager> catalog;
    HRESULT hr = OpenCatalog(catalog.put());
    if (SUCCEEDED(hr)) {
        hr = catalog->GetItemsChangedSink(nullptr, IID_ISearchItemsChangedSink, sink.put_void(), reset, checkpoint,
                                          number);
    }
    return hr;
}

HRESULT Notify(const std::wstring& kind, bool high, std::vector<std::wstring> urls)
{
    SEARCH_KIND_OF_CHANGE change = SEARCH_CHANGE_ADD;
    if (kind == L"modify") {
        change = SEARCH_CHANGE_MODIFY;
    } else if (kind == L"delete") {
        change = SEARCH_CHANGE_DELETE;
    } else if (kind != L"add") {
        return E_INVALIDARG;
    }
    ComPtr<ISearchItemsChangedSink> sink;
    GUID reset{};
    GUID checkpoint{};
    DWORD number = 0;
    HRESULT hr = OpenItemsChangedSink(sink, &reset, &checkpoint, &number);
    if (FAILED(hr)) {
        return hr;
    }
    std::vector<SEARCH_ITEM_CHANGE> changes(urls.size());
    std::vector<DWORD> ids(urls.size());
    std::vector<HRESULT> codes(urls.size());
    for (size_t i = 0; i < urls.size(); ++i) {
        changes[i].Change = change;
        changes[i].Priority = high ? SEARCH_HIGH_PRIORITY : SEARCH_NORMAL_PRIORITY;
        changes[i].lpwszURL = urls[i].data();
    }
    hr = sink->OnItemsChanged(static_cast<DWORD>(urls.size()), changes.data(), ids.data(), codes.data());
    for (size_t i = 0; i < urls.size(); ++i) {
        Print(FormatText(L"item %lu 0x%08X %s", ids[i], static_cast<unsigned>(codes[i]), urls[i].c_str()));
    }
    return hr;
}

HRESULT Identity()
{
    ComPtr<ISearchItemsChangedSink> sink;
    GUID reset{};
    GUID checkpoint{};
    DWORD number = 0;
    HRESULT hr = OpenItemsChangedSink(sink, &reset, &checkpoint, &number);
    if (SUCCEEDED(hr)) {
        Print(L"reset " + brw::GuidToString(reset) + L" checkpoint " + brw::GuidToString(checkpoint) +
              FormatText(L" number %lu", number));
    }
    return hr;
}

HRESULT Reset()
{
    ComPtr<ISearchCatalogManager> catalog;
    HRESULT hr = OpenCatalog(catalog.put());
    return SUCCEEDED(hr) ? catalog->Reset() : hr;
}

HRESULT Count()
{
    ComPtr<ISearchCatalogManager> catalog;
    LONG items = 0;
    LONG incremental = 0;
    LONG normal = 0;
    LONG high = 0;
    HRESULT hr = OpenCatalog(catalog.put());
    if (SUCCEEDED(hr)) {
        hr = catalog->NumberOfItems(&items);
    }
    if (SUCCEEDED(hr)) {
        hr = catalog->NumberOfItemsToIndex(&incremental, &normal, &high);
    }
    Print(FormatText(L"items %ld queued %ld high %ld", items, normal, high));
    return hr;
}

HRESULT Run(int argc, wchar_t** argv)
{
    if (argc < 2) {
        return E_INVALIDARG;
    }
    const std::wstring command = argv[1];
    if (command == L"addroot" && (argc == 3 || argc == 4)) {
        return AddRoot(argv[2], argc == 4 && std::wcscmp(argv[3], L"--notifications-only") == 0);
    }
    if (command == L"removeroot" && argc == 3) {
        return RemoveRoot(argv[2]);
    }
    if (command == L"included" && argc == 3) {
        return Included(argv[2]);
    }
    if (command == L"notify" && argc >= 4) {
        int first = 3;
        const bool high = std::wcscmp(argv[3], L"--high") == 0;
        first += high ? 1 : 0;
        return Notify(argv[2], high, std::vector<std::wstring>(argv + first, argv + argc));
    }
    if (command == L"identity" && argc == 2) {
        return Identity();
    }
    if (command == L"reset" && argc == 2) {
        return Reset();
    }
    if (command == L"count" && argc == 2) {
        return Count();
    }
    return E_INVALIDARG;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        return 2;
    }
    const HRESULT hr = Run(argc, argv);
    Print(FormatText(L"result 0x%08X", static_cast<unsigned>(hr)));
    CoUninitialize();
    return SUCCEEDED(hr) ? 0 : 1;
}
