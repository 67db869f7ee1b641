#pragma once
// Hands the notes a crawl found changed or deleted to the search catalogue
// as brw URLs to add or delete, in batches of 100 change entries. A deleted
// note's attachments are deleted with it, when the note can still be read.
#include "common/ComHolders.h"
#include "notesdata/notes/Db.h"
#include "notesdata/notes/Processors.h"

#include <windows.h>
#include <searchapi.h>
#include <windowssearcherrors.h>

#include <string>
#include <vector>

namespace brw {

// The catalogue's status for a URL outside its crawl scope.
inline constexpr HRESULT kUrlExcludedStatus = GTHR_E_URL_EXCLUDED;

// The document and attachment URLs of a note of the database at fullPath.
std::wstring NoteDocumentUrl(const std::wstring& identity, const std::wstring& fullPath, DWORD noteId);
// A database's path as the database list names it, and so the handler's
// URLs: NormalizeDatabasePath, relative to the data directory when it lies
// inside it, else full.
std::wstring ListedDatabasePath(const std::wstring& fullPath, const std::wstring& dataDirectory);
std::wstring NoteAttachmentUrl(const std::wstring& documentUrl, size_t index, const std::wstring& displayedName);

// The items-changed sink of the catalogue "SystemIndex".
HRESULT ConnectItemsChangedSink(ComPtr<ISearchItemsChangedSink>& sink) noexcept;

class IndexNotifier final : public IIDTableProcessor {
public:
    static constexpr size_t kBatchSize = 100;

    // The sink gets a reference of the notifier's own; a null sink fails
    // every flush that has entries.
    IndexNotifier(const std::wstring& identity, std::wstring replicaId, std::wstring fullPath,
                  ISearchItemsChangedSink* sink);
    // Flushes what is still batched.
    ~IndexNotifier();
    IndexNotifier(const IndexNotifier&) = delete;
    IndexNotifier& operator=(const IndexNotifier&) = delete;

    // An id with the top bit set is a deletion; id 0 is skipped. False once
    // a flush failed, which stops the walk.
    bool OnNoteId(DWORD id) override;
    // Hands the batch to the sink and empties it; true when the catalogue
    // took the entries. An empty batch is not sent and succeeds.
    bool Flush();

    const std::wstring& ReplicaId() const { return replicaId_; }

private:
    struct Change {
        SEARCH_KIND_OF_CHANGE kind;
        std::wstring url;
    };

    bool IsFull() const { return batch_.size() >= kBatchSize; }
    // Flushes first when the batch is full; false when that flush failed.
    bool Add(SEARCH_KIND_OF_CHANGE kind, std::wstring url);
    bool AddAttachmentDeletions(DWORD noteId, const std::wstring& documentUrl);
    bool OpenAttachmentDatabase();
    bool SendBatch();

    std::wstring identity_;
    std::wstring replicaId_;
    std::wstring fullPath_;
    // As the handler's URLs carry it: relative inside the data directory.
    std::wstring urlPath_;
    ComPtr<ISearchItemsChangedSink> sink_;
    std::vector<Change> batch_;
    std::vector<HRESULT> statuses_;
    std::vector<DWORD> documentIds_;
    Db attachmentDb_;
};

} // namespace brw
