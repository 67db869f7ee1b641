#include "platform/winsearch/indexer/Indexer.h"

#include "common/DebugConsole.h"
#include "common/WideString.h"
#include "platform/winsearch/core/CatalogueSnapshot.h"
#include "platform/winsearch/core/StateLock.h"
#include "platform/winsearch/indexer/ScopePurge.h"

namespace brw::winsearch {

namespace {

constexpr DWORD kKindMask = 0xFFFF;

void WriteLine(const std::wstring& line)
{
    const std::string bytes = WideToUtf8(line + L"\n");
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace

Indexer::Indexer(std::wstring folder, const IndexerOptions& options)
    : folder_(std::move(folder)), gatherer_(options.itemTimeoutMs, options.workers)
{
}

void Indexer::Log(const wchar_t* what, const std::wstring& url, HRESULT hr)
{
    const std::wstring line = FormatText(L"%s 0x%08X %s", what, static_cast<unsigned>(hr), url.c_str());
    WriteLine(line);
    LogText(L"Indexer:", line.c_str());
}

// Picks up the saved scope and identity; reopens the catalogue after a
// reset, which also calls for a new crawl (changed).
HRESULT Indexer::Refresh(bool* changed)
{
    CatalogueIdentity identity;
    CrawlScope scope;
    {
        StateLock lock(folder_);
        if (FAILED(lock.Status())) {
            return lock.Status();
        }
        HRESULT hr = LoadIdentity(folder_, &identity);
        if (SUCCEEDED(hr)) {
            hr = LoadScope(folder_, &scope);
        }
        if (FAILED(hr)) {
            return hr;
        }
    }
    *changed = !opened_ || !IsEqualGUID(identity.resetSignature, resetSignature_) || scope.Version() != scopeVersion_;
    if (!opened_ || !IsEqualGUID(identity.resetSignature, resetSignature_)) {
        const HRESULT hr = catalogue_.OpenForWriting(CatalogueFilePath(folder_, identity.resetSignature));
        if (FAILED(hr)) {
            return hr;
        }
        resetSignature_ = identity.resetSignature;
        opened_ = true;
    }
    scope_ = std::move(scope);
    scopeVersion_ = scope_.Version();
    if (*changed) {
        counts_.removed += RemoveExcludedItems(catalogue_, scope_);
    }
    return S_OK;
}

void Indexer::Submit(const std::wstring& url)
{
    const ItemRecord* known = catalogue_.Find(url);
    GatherRequest request;
    request.url = url;
    request.knownLastModified = (known && !known->isDirectory) ? known->lastModified : 0;
    gatherer_.Submit(std::move(request));
}

bool Indexer::Store(GatherOutcome& outcome, std::vector<ChildLink>* children, bool* keepBelow)
{
    const std::wstring& url = outcome.request.url;
    GatherReply& reply = outcome.reply;
    *keepBelow = false;
    if (FAILED(outcome.call)) {
        ++counts_.failed;
        Log(outcome.call == HRESULT_FROM_WIN32(ERROR_TIMEOUT) ? L"item timed out" : L"item crashed its filter host",
            url, outcome.call);
        return false;
    }
    if (FAILED(reply.status)) {
        ++counts_.failed;
        Log((L"item failed (" + reply.failure + L")").c_str(), url, reply.status);
        return false;
    }
    const ItemRecord* known = catalogue_.Find(url);
    const bool knownDirectory = known && known->isDirectory;
    if (reply.notModified) {
        ++counts_.unchanged;
    } else {
        reply.record.url = url;
        if (!reply.record.lastModified) {
            reply.record.lastModified = outcome.startedAt;
            reply.record.timeIsGatherTime = true;
        }
        const HRESULT hr = catalogue_.Put(reply.record);
        if (FAILED(hr)) {
            ++counts_.failed;
            Log(L"catalogue write failed", url, hr);
            return false;
        }
        ++counts_.indexed;
    }
    // An unchanged container gave no children: what is below it stands.
    *keepBelow = knownDirectory && reply.notModified;
    *children = std::move(reply.children);
    return true;
}

// Whether the catalogue's copy already reflects a change made at changedAt:
// an item whose own time is unknown is stored with the time its gathering
// began, and a gathering that began after the change saw it.
bool Indexer::IsCurrent(const std::wstring& url, std::uint64_t changedAt) const
{
    const ItemRecord* known = catalogue_.Find(url);
    return changedAt && known && !known->isDirectory && known->timeIsGatherTime && changedAt < known->lastModified;
}

// From the starts outward, following child links that are in scope, with
// the pool gathering several items at once. A child whose link time the
// catalogue's copy already covers is not opened again. A root crawl ends by
// removing what it no longer found below the root, since a container's
// enumeration is the whole list of its children.
void Indexer::Crawl(const std::vector<std::wstring>& starts, bool removeUnvisited)
{
    std::unordered_set<std::wstring> visited;
    std::vector<std::wstring> failed;
    for (const std::wstring& start : starts) {
        if (visited.insert(start).second) {
            Submit(start);
        }
    }
    GatherOutcome outcome;
    while (gatherer_.Next(&outcome)) {
        std::vector<ChildLink> children;
        bool keepBelow = false;
        if (!Store(outcome, &children, &keepBelow)) {
            failed.push_back(outcome.request.url);
            continue;
        }
        if (keepBelow) {
            for (std::wstring& below : catalogue_.UrlsBelow(outcome.request.url)) {
                visited.insert(std::move(below));
            }
        }
        for (ChildLink& child : children) {
            if (!IsAcceptableUrl(child.url.c_str()) || !scope_.IsIncluded(child.url) ||
                !visited.insert(child.url).second) {
                continue;
            }
            const ItemRecord* known = catalogue_.Find(child.url);
            const bool covered = known && !known->isDirectory &&
                                 (known->lastModified == child.lastModified ||
                                  (known->timeIsGatherTime && child.lastModified < known->lastModified));
            if (child.lastModified && covered) {
                ++counts_.unchanged;
                continue;
            }
            Submit(child.url);
        }
    }
    if (!removeUnvisited) {
        return;
    }
    for (const std::wstring& start : starts) {
        for (const std::wstring& url : catalogue_.UrlsBelow(start)) {
            bool keep = visited.count(url) != 0;
            for (const std::wstring& broken : failed) {
                keep = keep || IsSameOrBelow(broken, url);
            }
            if (!keep && catalogue_.Find(url) && SUCCEEDED(catalogue_.RemoveBelow(url))) {
                ++counts_.removed;
            }
        }
    }
}

HRESULT Indexer::ProcessNotifications()
{
    std::vector<QueuedChange> changes;
    {
        StateLock lock(folder_);
        if (FAILED(lock.Status())) {
            return lock.Status();
        }
        const HRESULT hr = TakeChanges(folder_, &changes);
        if (FAILED(hr) || changes.empty()) {
            return hr;
        }
    }
    // Additions and modifications in a row are gathered together; a
    // deletion waits for what came before it, so the order holds per URL.
    std::vector<std::wstring> gather;
    for (SEARCH_NOTIFICATION_PRIORITY priority : {SEARCH_HIGH_PRIORITY, SEARCH_NORMAL_PRIORITY}) {
        for (const QueuedChange& change : changes) {
            if (change.priority != priority) {
                continue;
            }
            if ((change.change & kKindMask) == SEARCH_CHANGE_DELETE) {
                Crawl(gather, false);
                gather.clear();
                if (catalogue_.RemoveBelow(change.url) == S_OK) {
                    ++counts_.removed;
                }
            } else if (IsCurrent(change.url, change.queuedAt)) {
                ++counts_.unchanged;
            } else if (scope_.IsIncluded(change.url)) {
                gather.push_back(change.url);
            }
        }
    }
    Crawl(gather, false);
    StateLock lock(folder_);
    if (FAILED(lock.Status())) {
        return lock.Status();
    }
    // Everything before this checkpoint is in the catalogue now.
    CatalogueIdentity identity;
    HRESULT hr = LoadIdentity(folder_, &identity);
    if (SUCCEEDED(hr)) {
        ++identity.lastCheckpointNumber;
        hr = SaveIdentity(folder_, identity);
    }
    return SUCCEEDED(hr) ? FinishChanges(folder_) : hr;
}

HRESULT Indexer::CrawlRoots()
{
    for (const RootEntry& root : scope_.Roots()) {
        if (!root.useNotificationsOnly && scope_.IsIncluded(root.url)) {
            Crawl({root.url}, true);
        }
    }
    return S_OK;
}

// What the query command reads instead of the whole catalogue; a failure
// only makes queries slower.
void Indexer::Snapshot()
{
    if (opened_) {
        const HRESULT hr = WriteSnapshot(catalogue_, SnapshotFilePath(folder_, resetSignature_));
        if (FAILED(hr)) {
            Log(L"snapshot not written", folder_, hr);
        }
    }
}

// A crawl that is due goes first: it gathers everything below the roots,
// and the notifications queued before it then find their items covered
// instead of gathering them a second time.
HRESULT Indexer::Pass(bool crawl)
{
    const HRESULT hr = crawl ? CrawlRoots() : S_OK;
    return SUCCEEDED(hr) ? ProcessNotifications() : hr;
}

HRESULT Indexer::RunOnce()
{
    bool changed = false;
    HRESULT hr = Refresh(&changed);
    if (SUCCEEDED(hr)) {
        hr = Pass(true);
    }
    gatherer_.Stop();
    Snapshot();
    return hr;
}

HRESULT Indexer::RunLoop(HANDLE stop)
{
    KernelHandle work(CreateEventW(nullptr, FALSE, FALSE, WorkEventName(folder_).c_str()));
    if (!work) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    for (unsigned long pass = 1;; ++pass) {
        // With "idle" below, a watcher can tell a pass in progress from none.
        WriteLine(FormatText(L"indexing %lu", pass));
        bool changed = false;
        HRESULT hr = Refresh(&changed);
        if (SUCCEEDED(hr)) {
            hr = Pass(changed);
        }
        if (FAILED(hr)) {
            Log(L"indexing pass failed", folder_, hr);
        }
        Snapshot();
        WriteLine(FormatText(L"idle %lu", pass));
        const HANDLE handles[] = {stop, work.get()};
        if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
            break;
        }
    }
    gatherer_.Stop();
    return S_OK;
}

} // namespace brw::winsearch
