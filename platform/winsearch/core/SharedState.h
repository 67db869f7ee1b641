// The files of the state folder and what they hold. Every function here
// expects the caller to hold the folder's StateLock for the whole
// read-modify-write.
#pragma once

#include "platform/winsearch/core/CrawlScope.h"

#include <searchapi.h>

#include <cstdint>
#include <string>
#include <vector>

namespace brw::winsearch {

// The catalogue's identity as GetItemsChangedSink reports it, and the next
// document id the items-changed sink hands out.
struct CatalogueIdentity {
    GUID resetSignature = GUID_NULL;
    GUID checkpointSignature = GUID_NULL;
    DWORD lastCheckpointNumber = 0;
    DWORD nextDocId = 1;
};

struct QueuedChange {
    SEARCH_NOTIFICATION_PRIORITY priority = SEARCH_NORMAL_PRIORITY;
    DWORD change = SEARCH_CHANGE_ADD; // kind with its semantics flags
    DWORD docId = 0;
    std::wstring url;
    std::uint64_t queuedAt = 0; // when the sink took it, as a FILETIME count; 0 unknown
};

// The committed crawl scope; an absent file is the empty scope.
HRESULT LoadScope(const std::wstring& folder, CrawlScope* scope);
HRESULT SaveScope(const std::wstring& folder, const CrawlScope& scope);

// Made (with fresh signatures) and saved the first time it is asked for.
HRESULT LoadIdentity(const std::wstring& folder, CatalogueIdentity* identity);
HRESULT SaveIdentity(const std::wstring& folder, const CatalogueIdentity& identity);

// The catalogue file of one reset signature: a reset starts a new file.
std::wstring CatalogueFilePath(const std::wstring& folder, const GUID& resetSignature);

// The query snapshot written beside that catalogue file.
std::wstring SnapshotFilePath(const std::wstring& folder, const GUID& resetSignature);

// Notifications waiting for the indexer host, taken by the sink at queuedAt
// (a FILETIME count; the changes' own queuedAt is not written).
HRESULT AppendChanges(const std::wstring& folder, const std::vector<QueuedChange>& changes, std::uint64_t queuedAt);
// Moves the waiting notifications (and any that a host died processing) to
// the host: they leave the queue file, so the next sink call starts a new one.
HRESULT TakeChanges(const std::wstring& folder, std::vector<QueuedChange>* changes);
// What TakeChanges gave out, once the host has processed it.
HRESULT FinishChanges(const std::wstring& folder);
HRESULT CountChanges(const std::wstring& folder, LONG* normal, LONG* high);

// Signalled whenever notifications are queued or the scope is saved, so a
// waiting host wakes up; auto-reset.
std::wstring WorkEventName(const std::wstring& folder);
void SignalWork(const std::wstring& folder) noexcept;

} // namespace brw::winsearch
