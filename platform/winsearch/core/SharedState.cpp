#include "platform/winsearch/core/SharedState.h"

#include "common/Handles.h"
#include "common/WideString.h"
#include "platform/winsearch/core/StateFile.h"
#include "platform/winsearch/core/StateFolder.h"

#include <objbase.h>

#include <cwchar>

namespace brw::winsearch {

namespace {

constexpr wchar_t kScopeFile[] = L"scope.txt";
constexpr wchar_t kIdentityFile[] = L"identity.txt";
constexpr wchar_t kQueueFile[] = L"queue.txt";
constexpr wchar_t kTakenQueueFile[] = L"queue-taken.txt";

bool ParseGuid(const std::wstring& text, GUID* guid)
{
    return text.size() == kGuidTextLength && SUCCEEDED(CLSIDFromString(text.c_str(), guid));
}

HRESULT NewIdentity(CatalogueIdentity* identity)
{
    HRESULT hr = CoCreateGuid(&identity->resetSignature);
    if (SUCCEEDED(hr)) {
        hr = CoCreateGuid(&identity->checkpointSignature);
    }
    identity->lastCheckpointNumber = 0;
    identity->nextDocId = 1;
    return hr;
}

// Each appended batch starts with a line of the time the sink took it:
// the marker and sixteen hexadecimal digits. The change lines keep their
// four fields, so a reader of the queue that knows only those skips it.
constexpr wchar_t kQueueTimeMarker[] = L"queued";
constexpr size_t kQueueTimeDigits = 16;

bool ParseQueueTime(const std::vector<std::wstring>& fields, std::uint64_t* time)
{
    if (fields.size() != 2 || fields[0] != kQueueTimeMarker) {
        return false;
    }
    const std::wstring& digits = fields[1];
    const bool whole =
        digits.size() == kQueueTimeDigits && digits.find_first_not_of(L"0123456789ABCDEF") == std::wstring::npos;
    // A damaged time line leaves its batch without a time: gathered always.
    *time = whole ? std::wcstoull(digits.c_str(), nullptr, 16) : 0;
    return true;
}

void ParseChanges(const std::wstring& text, std::vector<QueuedChange>* changes)
{
    std::uint64_t queuedAt = 0;
    for (const auto& fields : SplitRecords(text)) {
        if (ParseQueueTime(fields, &queuedAt)) {
            continue;
        }
        if (fields.size() != 4 || !IsAcceptableUrl(fields[3].c_str())) {
            continue; // a line cut short by a crash, or damage
        }
        QueuedChange change;
        change.priority = fields[0] == L"1" ? SEARCH_HIGH_PRIORITY : SEARCH_NORMAL_PRIORITY;
        change.change = std::wcstoul(fields[1].c_str(), nullptr, 10);
        change.docId = std::wcstoul(fields[2].c_str(), nullptr, 10);
        change.url = fields[3];
        change.queuedAt = queuedAt;
        changes->push_back(std::move(change));
    }
}

} // namespace

HRESULT LoadScope(const std::wstring& folder, CrawlScope* scope)
{
    std::wstring text;
    const HRESULT hr = ReadStateFile(StatePath(folder, kScopeFile), &text);
    if (FAILED(hr)) {
        return hr;
    }
    *scope = CrawlScope::Parse(text);
    return S_OK;
}

HRESULT SaveScope(const std::wstring& folder, const CrawlScope& scope)
{
    return ReplaceStateFile(StatePath(folder, kScopeFile), scope.Serialize());
}

HRESULT LoadIdentity(const std::wstring& folder, CatalogueIdentity* identity)
{
    std::wstring text;
    HRESULT hr = ReadStateFile(StatePath(folder, kIdentityFile), &text);
    if (FAILED(hr)) {
        return hr;
    }
    CatalogueIdentity loaded;
    bool haveReset = false;
    bool haveCheckpoint = false;
    for (const auto& fields : SplitRecords(text)) {
        if (fields.size() != 2) {
            continue;
        }
        if (fields[0] == L"reset") {
            haveReset = ParseGuid(fields[1], &loaded.resetSignature);
        } else if (fields[0] == L"checkpoint") {
            haveCheckpoint = ParseGuid(fields[1], &loaded.checkpointSignature);
        } else if (fields[0] == L"checkpointnumber") {
            loaded.lastCheckpointNumber = std::wcstoul(fields[1].c_str(), nullptr, 10);
        } else if (fields[0] == L"nextdocid") {
            loaded.nextDocId = std::wcstoul(fields[1].c_str(), nullptr, 10);
        }
    }
    if (haveReset && haveCheckpoint) {
        *identity = loaded;
        return S_OK;
    }
    // First use, or a damaged file: a new identity, as a rebuilt index has.
    hr = NewIdentity(&loaded);
    if (SUCCEEDED(hr)) {
        hr = SaveIdentity(folder, loaded);
    }
    if (SUCCEEDED(hr)) {
        *identity = loaded;
    }
    return hr;
}

HRESULT SaveIdentity(const std::wstring& folder, const CatalogueIdentity& identity)
{
    const std::wstring text =
        L"reset\t" + GuidToString(identity.resetSignature) + L"\ncheckpoint\t" +
        GuidToString(identity.checkpointSignature) +
        FormatText(L"\ncheckpointnumber\t%lu\nnextdocid\t%lu\n", identity.lastCheckpointNumber, identity.nextDocId);
    return ReplaceStateFile(StatePath(folder, kIdentityFile), text);
}

std::wstring CatalogueFilePath(const std::wstring& folder, const GUID& resetSignature)
{
    return folder + L"\\catalogue-" + GuidToString(resetSignature) + L".dat";
}

std::wstring SnapshotFilePath(const std::wstring& folder, const GUID& resetSignature)
{
    return folder + L"\\catalogue-" + GuidToString(resetSignature) + L".idx";
}

HRESULT AppendChanges(const std::wstring& folder, const std::vector<QueuedChange>& changes, std::uint64_t queuedAt)
{
    // A leading line break closes a line that a crashed writer left open.
    std::wstring text = FormatText(L"\n%s\t%016llX\n", kQueueTimeMarker, static_cast<unsigned long long>(queuedAt));
    for (const QueuedChange& change : changes) {
        text += FormatText(L"%d\t%lu\t%lu\t%s\n", change.priority == SEARCH_HIGH_PRIORITY ? 1 : 0, change.change,
                           change.docId, change.url.c_str());
    }
    return AppendStateFile(StatePath(folder, kQueueFile), text);
}

HRESULT TakeChanges(const std::wstring& folder, std::vector<QueuedChange>* changes)
{
    changes->clear();
    const std::wstring queue = StatePath(folder, kQueueFile);
    const std::wstring taken = StatePath(folder, kTakenQueueFile);
    std::wstring leftOver;
    HRESULT hr = ReadStateFile(taken, &leftOver);
    if (FAILED(hr)) {
        return hr;
    }
    std::wstring waiting;
    hr = ReadStateFile(queue, &waiting);
    if (FAILED(hr)) {
        return hr;
    }
    if (hr == S_OK) {
        // Kept until FinishChanges, so a host that dies mid-way hands the
        // same notifications to the next one.
        hr = ReplaceStateFile(taken, leftOver + waiting);
        if (FAILED(hr)) {
            return hr;
        }
        DeleteFileW(queue.c_str());
    }
    ParseChanges(leftOver + waiting, changes);
    return S_OK;
}

HRESULT FinishChanges(const std::wstring& folder)
{
    const std::wstring taken = StatePath(folder, kTakenQueueFile);
    if (!DeleteFileW(taken.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    return S_OK;
}

HRESULT CountChanges(const std::wstring& folder, LONG* normal, LONG* high)
{
    *normal = 0;
    *high = 0;
    std::vector<QueuedChange> changes;
    for (const wchar_t* name : {kQueueFile, kTakenQueueFile}) {
        std::wstring text;
        const HRESULT hr = ReadStateFile(StatePath(folder, name), &text);
        if (FAILED(hr)) {
            return hr;
        }
        ParseChanges(text, &changes);
    }
    for (const QueuedChange& change : changes) {
        ++(change.priority == SEARCH_HIGH_PRIORITY ? *high : *normal);
    }
    return S_OK;
}

std::wstring WorkEventName(const std::wstring& folder)
{
    return StateObjectName(folder, L"Work");
}

void SignalWork(const std::wstring& folder) noexcept
{
    KernelHandle event(CreateEventW(nullptr, FALSE, FALSE, WorkEventName(folder).c_str()));
    if (event) {
        SetEvent(event.get());
    }
}

} // namespace brw::winsearch
