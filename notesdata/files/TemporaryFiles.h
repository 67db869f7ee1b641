#pragma once
// Files the data service writes for a reply: where they go, what they are
// called, and the manager that deletes the ones handed to it later. Each
// process and thread writes into a folder of its own under the request's
// tempdir, so two threads never write the same file.
#include "common/Handles.h"
#include "notesdata/commands/QXObject.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace brw {

// StoredPart: a MIME part's content read back from its file object.
enum class TempFileKind { Attachment, TextBody, RtfBody, RichTextRecords, StoredPart };

// Read-only, temporary, not content-indexed: the reader deletes only files
// that carry read-only, and the indexer must not crawl them.
inline constexpr DWORD kFinishedFileAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The extension of an attachment's displayed name: the text after its last
// ".", empty without one, and empty when it holds anything a file name may
// not (so that no attachment name can place a file outside its folder).
std::wstring AttachmentExtension(const std::wstring& displayName);

// The request's tempdir is accepted only as a full local path ("X:\..."),
// without "." or ".." parts and outside the Windows folder; replies come
// from a pipe any program of the user can write to.
bool IsAcceptableTempDir(const std::wstring& tempDir);

// A number no earlier body file of this process had. A reader may still
// hold a document's last body while the indexer asks for the document
// again, so two requests never share a body file.
DWORD NextBodySerial();

// The file's full path, its folders created; nothing when the tempdir is
// refused or a folder cannot be made. number is the attachment's index for
// an attachment (the same attachment is the same file) and the request's
// body serial for the other kinds.
std::optional<std::wstring> MakeTempFilePath(const std::wstring& tempDir, TempFileKind kind,
                                             const std::wstring& replicaId, DWORD noteId, DWORD number,
                                             const std::wstring& extension);

// Where an attachment is extracted to, and whether an earlier request has
// already extracted it there (the same attachment is the same file).
struct AttachmentFileTarget {
    std::wstring path;
    bool alreadyExtracted = false;
};

// Nothing when no path can be made or a folder stands at the path.
std::optional<AttachmentFileTarget> PrepareAttachmentFile(const std::wstring& tempDir, const std::wstring& replicaId,
                                                          DWORD noteId, DWORD number, const std::wstring& extension);

// Marks a completely written file as finished (kFinishedFileAttributes).
bool MarkFileFinished(const std::wstring& path);

// What writing an attachment's file came to.
enum class AttachmentWrite {
    // Written whole: the file is marked finished.
    Complete,
    // Written, by a writer that cannot vouch for its completeness: the file
    // is handed out as it is, not marked finished.
    Unconfirmed,
    Failed,
};
using AttachmentWriter = std::function<AttachmentWrite(const std::wstring& path)>;

// The attachment's file in the request's folder and its path: an earlier
// copy there is used again, otherwise write makes it. Nothing when no path
// can be made, a folder stands at the path, or write fails; what a failed
// write left is deleted, since every later request would otherwise hand out
// the half-written file as the attachment.
std::optional<std::wstring> ProvideAttachmentFile(const std::wstring& tempDir, const std::wstring& replicaId,
                                                  DWORD noteId, DWORD number, const std::wstring& extension,
                                                  const AttachmentWriter& write);

class BRWTemporaryFile : public QXObject {
public:
    explicit BRWTemporaryFile(std::wstring path) : path_(std::move(path)) {}
    const std::wstring& Path() const { return path_; }
    bool IsDeleted() const { return deleted_; }
    // One attempt; a file held open elsewhere stays for the next pass.
    void TryDelete();

private:
    std::wstring path_;
    bool deleted_ = false;
};

// The process's list of files to delete later, shared by the pipe server,
// the crawl and the connector's own thread.
class BRWTemporaryFileMgr : private QXObjectListEnumerator, private QXObjectListCleanupEnumerator {
public:
    BRWTemporaryFileMgr();
    virtual ~BRWTemporaryFileMgr();

    static BRWTemporaryFileMgr& Instance();

    // A path already remembered is kept once: a second entry could never
    // be deleted (the first deletes the file) and would hold its slot for
    // good. False when the list is full (the file is then never deleted by
    // us).
    bool Remember(const std::wstring& path);
    void DeleteFiles();
    int RememberedCount();

private:
    bool OnObject(QXObject* object) override;
    bool IsDone(QXObject* object) override;
    bool IsRemembered(const std::wstring& path) const;

    KernelHandle mutex_;
    QXObjectList files_;
};

} // namespace brw
