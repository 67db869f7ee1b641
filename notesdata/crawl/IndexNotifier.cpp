#include "notesdata/crawl/IndexNotifier.h"

#include "common/BrwUrlText.h"
#include "common/SearchCatalogue.h"
#include "common/WideString.h"
#include "connector/CrawlRoot.h"
#include "notesdata/commands/QXObject.h"
#include "notesdata/files/Attachment.h"
#include "notesdata/notes/Db.h"
#include "notesdata/notes/ItemWalk.h"
#include "notesdata/notes/NoteDocument.h"
#include "notesdata/notes/NotesText.h"
#include "notesdata/notes/RichTextField.h"

#include <algorithm>
#include <new>
#include <optional>

namespace brw {
namespace {

constexpr DWORD kDeletedFlag = 0x80000000;
constexpr DWORD kNoteIdMask = 0x7FFFFFFF;
// The identity text is at most 255 characters wherever it is made.
constexpr size_t kMaxIdentityChars = 255;

// The attachments of a note in item order, and the file hotspots of its rich
// text that give them the names the document shows.
class AttachmentCollector final : public NoteItemProcessor, public CDRecordProcessor, public QXObjectListEnumerator {
public:
    // The names shown for the attachments, in attachment order.
    std::vector<std::wstring> DisplayedNames()
    {
        names_.clear();
        attachments_.Enumerate(*this);
        return std::move(names_);
    }

    bool OnRichText(const char*, RichTextField* field) override
    {
        field->EnumerateRecords(*this);
        return true;
    }
    bool OnText(const char*, const char*, WORD) override { return true; }
    bool BeginTextList(const char*, WORD) override { return true; }
    bool OnTextListEntry(const char*, WORD) override { return true; }
    bool EndTextList() override { return true; }
    bool OnTime(const char*, const wchar_t*, int) override { return true; }
    bool OnAttachment(const char*, Attachment* attachment) override
    {
        attachments_.Add(attachment);
        return true;
    }

    WORD OnRecord(const char* record, WORD signature, DWORD length) override
    {
        AttachmentReference* reference = ReferenceFromHotspotRecord(record, signature, length);
        if (reference != nullptr) {
            references_.Add(reference);
            reference->Release();
        }
        return NOERROR_STATUS;
    }

    bool OnObject(QXObject* object) override
    {
        const auto& attachment = *static_cast<const Attachment*>(object);
        names_.push_back(LmbcsToWide(GetOriginalFileName(references_, attachment)));
        return true;
    }

private:
    QXObjectList attachments_;
    QXObjectList references_;
    std::vector<std::wstring> names_;
};

// Succeeds when the catalogue took at least one entry; a call that went
// through fails only when none was taken and some were out of its scope.
bool BatchAccepted(HRESULT callResult, const HRESULT* statuses, size_t count)
{
    const HRESULT* end = statuses + count;
    const bool anyTaken = std::any_of(statuses, end, [](HRESULT status) { return SUCCEEDED(status); });
    if (FAILED(callResult)) {
        return anyTaken;
    }
    return anyTaken || std::find(statuses, end, kUrlExcludedStatus) == end;
}

} // namespace

// The handler builds the URLs of the same document from the database list
// and its own URLs, through the same rule: both sides must agree, or the
// index holds a document twice and a deletion misses it.
std::wstring NoteDocumentUrl(const std::wstring& identity, const std::wstring& fullPath, DWORD noteId)
{
    return L"brw://" + identity + L"/" + BrwUrlDatabasePart(fullPath, std::wstring()) + L"/" +
           FormatText(L"%08lX", noteId & kNoteIdMask);
}

std::wstring ListedDatabasePath(const std::wstring& fullPath, const std::wstring& dataDirectory)
{
    return NormalizeDatabasePath(fullPath, dataDirectory);
}

// The handler's form: the attachment's number and shown name after "#".
std::wstring NoteAttachmentUrl(const std::wstring& documentUrl, size_t index, const std::wstring& displayedName)
{
    return documentUrl + L"#" + std::to_wstring(index + 1) + L"#" + displayedName;
}

HRESULT ConnectItemsChangedSink(ComPtr<ISearchItemsChangedSink>& sink) noexcept
{
    ComPtr<ISearchCatalogManager> catalog;
    const HRESULT opened = OpenSystemCatalogue(catalog);
    if (FAILED(opened)) {
        return opened;
    }
    GUID resetSignature{};
    GUID checkpointSignature{};
    DWORD lastCheckpoint = 0;
    const HRESULT hr = catalog->GetItemsChangedSink(nullptr, IID_ISearchItemsChangedSink, sink.put_void(),
                                                    &resetSignature, &checkpointSignature, &lastCheckpoint);
    if (SUCCEEDED(hr) && !sink) {
        return E_POINTER;
    }
    return hr;
}

IndexNotifier::IndexNotifier(const std::wstring& identity, std::wstring replicaId, std::wstring fullPath,
                             ISearchItemsChangedSink* sink)
    : identity_(identity.substr(0, kMaxIdentityChars)), replicaId_(std::move(replicaId)),
      fullPath_(std::move(fullPath)), sink_(sink)
{
    const std::optional<std::string> dataDirectory = ReadDataDirectory(256);
    urlPath_ = ListedDatabasePath(fullPath_, dataDirectory ? LmbcsToWide(*dataDirectory) : std::wstring());
}

IndexNotifier::~IndexNotifier()
{
    Flush();
}

bool IndexNotifier::OnNoteId(DWORD id)
{
    try {
        if (batch_.capacity() < kBatchSize) {
            batch_.reserve(kBatchSize);
            statuses_.resize(kBatchSize);
            documentIds_.resize(kBatchSize);
        }
        if (IsFull()) {
            attachmentDb_.Close();
            if (!Flush()) {
                return false;
            }
        }
        if ((id & kNoteIdMask) == 0) {
            return true;
        }
        const bool deleted = (id & kDeletedFlag) != 0;
        std::wstring url = NoteDocumentUrl(identity_, urlPath_, id);
        if (!Add(deleted ? SEARCH_CHANGE_DELETE : SEARCH_CHANGE_ADD, url)) {
            return false;
        }
        return !deleted || AddAttachmentDeletions(id & kNoteIdMask, url);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool IndexNotifier::Add(SEARCH_KIND_OF_CHANGE kind, std::wstring url)
{
    if (IsFull() && !Flush()) {
        return false;
    }
    batch_.push_back(Change{kind, std::move(url)});
    return true;
}

bool IndexNotifier::AddAttachmentDeletions(DWORD noteId, const std::wstring& documentUrl)
{
    if (!OpenAttachmentDatabase()) {
        return true;
    }
    NoteDocument note(attachmentDb_);
    if (!note.Open(noteId)) {
        return true; // a deleted note is usually gone: nothing more to delete
    }
    AttachmentCollector collector;
    DWORD noteSize = 0;
    WalkNoteItems(note, collector, &noteSize);
    const std::vector<std::wstring> names = collector.DisplayedNames();
    for (size_t i = 0; i < names.size(); ++i) {
        if (!Add(SEARCH_CHANGE_DELETE, NoteAttachmentUrl(documentUrl, i, names[i]))) {
            return false;
        }
    }
    return true;
}

bool IndexNotifier::OpenAttachmentDatabase()
{
    if (attachmentDb_.IsOpen()) {
        return true;
    }
    if (fullPath_.empty() || !attachmentDb_.OpenByPath(WideToLmbcs(fullPath_))) {
        attachmentDb_.Close();
        return false;
    }
    return true;
}

bool IndexNotifier::Flush()
{
    if (batch_.empty()) {
        return true;
    }
    bool accepted = false;
    try {
        accepted = SendBatch();
    } catch (const std::bad_alloc&) {
        accepted = false;
    }
    batch_.clear();
    return accepted;
}

bool IndexNotifier::SendBatch()
{
    if (!sink_) {
        return false;
    }
    const size_t count = batch_.size();
    std::vector<SEARCH_ITEM_CHANGE> entries(count);
    for (size_t i = 0; i < count; ++i) {
        entries[i].Change = batch_[i].kind;
        entries[i].Priority = SEARCH_NORMAL_PRIORITY;
        entries[i].lpwszURL = &batch_[i].url[0];
    }
    statuses_.assign(count, E_FAIL); // what the sink leaves unset counts as not taken
    documentIds_.assign(count, 0);
    const HRESULT hr =
        sink_->OnItemsChanged(static_cast<DWORD>(count), entries.data(), documentIds_.data(), statuses_.data());
    return BatchAccepted(hr, statuses_.data(), count);
}

} // namespace brw
