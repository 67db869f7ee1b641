#include "notesdata/files/TemporaryFiles.h"

#include "common/DebugConsole.h"
#include "common/WideString.h"

#include <atomic>
#include <iterator>
#include <utility>

namespace brw {
namespace {

constexpr wchar_t kFolderName[] = L"Quexlink";
// A full local path starts with a drive's root; the letter is any.
constexpr wchar_t kDriveRoot[] = L"X:\\";
constexpr size_t kDriveRootLength = std::size(kDriveRoot) - 1;
// Longest tempdir taken; the names below it stay within MAX_PATH-style limits.
constexpr size_t kTempDirLimit = 200;

bool IsFileNameCharacter(wchar_t c)
{
    return c >= 0x20 && wcschr(L"\\/:*?\"<>|", c) == nullptr;
}

bool HasDotSegment(const std::wstring& path)
{
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(L'\\', start);
        std::wstring part = path.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (part == L"." || part == L"..") {
            return true;
        }
        if (end == std::wstring::npos) {
            break;
        }
        start = end + 1;
    }
    return false;
}

bool IsInsideWindowsFolder(const std::wstring& path)
{
    wchar_t windows[MAX_PATH];
    UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return true; // cannot tell: refuse rather than risk it
    }
    std::wstring folder(windows, length);
    if (folder.back() != L'\\') {
        folder += L'\\';
    }
    std::wstring probe = path.back() == L'\\' ? path : path + L'\\';
    return StartsWithNoCase(probe.c_str(), folder.c_str());
}

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Every reply file passes here: looking costs less than a refused create.
bool EnsureFolder(const std::wstring& folder)
{
    return IsFolder(folder) || CreateDirectoryW(folder.c_str(), nullptr) || IsFolder(folder);
}

// Attachments are "R-N-I.E"; bodies "R-N_S.E", so that no body name can
// be an attachment's.
std::wstring FileName(TempFileKind kind, const std::wstring& replicaId, DWORD noteId, DWORD number,
                      const std::wstring& extension)
{
    switch (kind) {
    case TempFileKind::Attachment:
        return replicaId + FormatText(L"-%X-%X.", noteId, number) + extension;
    case TempFileKind::TextBody:
        return replicaId + FormatText(L"-%X_%X.txt", noteId, number);
    case TempFileKind::RtfBody:
        return replicaId + FormatText(L"-%X_%X.rtf", noteId, number);
    case TempFileKind::StoredPart:
        return replicaId + FormatText(L"-%X_%X.part", noteId, number);
    default:
        return replicaId + FormatText(L"-%X_%X.cd", noteId, number);
    }
}

} // namespace

std::wstring AttachmentExtension(const std::wstring& displayName)
{
    size_t dot = displayName.rfind(L'.');
    if (dot == std::wstring::npos) {
        return {};
    }
    std::wstring extension = displayName.substr(dot + 1);
    for (wchar_t c : extension) {
        if (!IsFileNameCharacter(c)) {
            return {};
        }
    }
    return extension;
}

bool IsAcceptableTempDir(const std::wstring& tempDir)
{
    bool localFullPath = tempDir.size() >= kDriveRootLength && iswalpha(tempDir[0]) &&
                         tempDir.compare(1, kDriveRootLength - 1, kDriveRoot + 1) == 0;
    if (!localFullPath || tempDir.size() > kTempDirLimit || tempDir.find(L'/') != std::wstring::npos) {
        return false;
    }
    for (size_t i = kDriveRootLength; i < tempDir.size(); ++i) {
        if (tempDir[i] != L'\\' && !IsFileNameCharacter(tempDir[i])) {
            return false;
        }
    }
    return !HasDotSegment(tempDir) && !IsInsideWindowsFolder(tempDir);
}

DWORD NextBodySerial()
{
    static std::atomic<DWORD> serial{0};
    return ++serial;
}

std::optional<std::wstring> MakeTempFilePath(const std::wstring& tempDir, TempFileKind kind,
                                             const std::wstring& replicaId, DWORD noteId, DWORD number,
                                             const std::wstring& extension)
{
    if (!IsAcceptableTempDir(tempDir)) {
        return std::nullopt;
    }
    std::wstring folder = tempDir;
    if (folder.back() != L'\\') {
        folder += L'\\';
    }
    folder += kFolderName;
    if (!EnsureFolder(folder)) {
        return std::nullopt;
    }
    folder += FormatText(L"\\%X-%X", GetCurrentProcessId(), GetCurrentThreadId());
    if (!EnsureFolder(folder)) {
        return std::nullopt;
    }
    return folder + L"\\" + FileName(kind, replicaId, noteId, number, extension);
}

std::optional<AttachmentFileTarget> PrepareAttachmentFile(const std::wstring& tempDir, const std::wstring& replicaId,
                                                          DWORD noteId, DWORD number, const std::wstring& extension)
{
    std::optional<std::wstring> path =
        MakeTempFilePath(tempDir, TempFileKind::Attachment, replicaId, noteId, number, extension);
    if (!path) {
        return std::nullopt;
    }
    const DWORD existing = GetFileAttributesW(path->c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    return AttachmentFileTarget{std::move(*path), existing != INVALID_FILE_ATTRIBUTES};
}

bool MarkFileFinished(const std::wstring& path)
{
    return SetFileAttributesW(path.c_str(), kFinishedFileAttributes) != FALSE;
}

std::optional<std::wstring> ProvideAttachmentFile(const std::wstring& tempDir, const std::wstring& replicaId,
                                                  DWORD noteId, DWORD number, const std::wstring& extension,
                                                  const AttachmentWriter& write)
{
    const std::optional<AttachmentFileTarget> target =
        PrepareAttachmentFile(tempDir, replicaId, noteId, number, extension);
    if (!target) {
        return std::nullopt;
    }
    if (target->alreadyExtracted) {
        return target->path;
    }
    switch (write(target->path)) {
    case AttachmentWrite::Complete:
        MarkFileFinished(target->path);
        return target->path;
    case AttachmentWrite::Unconfirmed:
        return target->path;
    case AttachmentWrite::Failed:
        break;
    }
    DeleteFileW(target->path.c_str());
    return std::nullopt;
}

void BRWTemporaryFile::TryDelete()
{
    // A missing file reports every attribute bit and passes as read-only;
    // making it normal then fails, so it is tried again on every pass.
    DWORD attributes = GetFileAttributesW(path_.c_str());
    if ((attributes & FILE_ATTRIBUTE_READONLY) == 0 || !SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL)) {
        return;
    }
    if (DeleteFileW(path_.c_str())) {
        LogText(L"BRWTemporaryFile::DeleteBRWFile deleted", path_.c_str());
        deleted_ = true;
        return;
    }
    DWORD error = GetLastError();
    SetFileAttributesW(path_.c_str(), attributes);
    if (error == ERROR_FILE_NOT_FOUND) {
        LogText(L"BRWTemporaryFile::DeleteBRWFile cant delete - file not found", path_.c_str());
    } else if (error == ERROR_ACCESS_DENIED) {
        LogText(L"BRWTemporaryFile::DeleteBRWFile cant delete - access denied", path_.c_str());
    } else {
        LogText(L"BRWTemporaryFile::DeleteBRWFile cant delete", path_.c_str());
        LogHex(L"BRWTemporaryFile::DeleteBRWFile cant delete - GetLastError()=", error);
    }
}

BRWTemporaryFileMgr::BRWTemporaryFileMgr() : mutex_(CreateMutexW(nullptr, FALSE, nullptr)) {}

BRWTemporaryFileMgr::~BRWTemporaryFileMgr() = default;

BRWTemporaryFileMgr& BRWTemporaryFileMgr::Instance()
{
    static BRWTemporaryFileMgr manager;
    return manager;
}

namespace {

class MutexHold {
public:
    explicit MutexHold(HANDLE mutex)
        : mutex_(mutex), held_(mutex != nullptr && WaitForSingleObject(mutex, INFINITE) == WAIT_OBJECT_0)
    {
    }
    ~MutexHold()
    {
        if (held_) {
            ReleaseMutex(mutex_);
        }
    }
    MutexHold(const MutexHold&) = delete;
    MutexHold& operator=(const MutexHold&) = delete;
    bool Held() const { return held_; }

private:
    HANDLE mutex_;
    bool held_;
};

} // namespace

bool BRWTemporaryFileMgr::Remember(const std::wstring& path)
{
    MutexHold hold(mutex_.get());
    if (!hold.Held()) {
        return false;
    }
    if (IsRemembered(path)) {
        return true;
    }
    auto* file = new (std::nothrow) BRWTemporaryFile(path);
    if (file == nullptr) {
        return false;
    }
    bool taken = files_.Add(file);
    file->Release();
    return taken;
}

void BRWTemporaryFileMgr::DeleteFiles()
{
    MutexHold hold(mutex_.get());
    if (!hold.Held()) {
        return;
    }
    files_.Enumerate(*this);
    files_.Cleanup(*this);
}

int BRWTemporaryFileMgr::RememberedCount()
{
    MutexHold hold(mutex_.get());
    int count = 0;
    for (int slot = 0; slot < files_.Count(); ++slot) {
        count += files_.At(slot) != nullptr ? 1 : 0;
    }
    return count;
}

// Paths name files, so they compare as the file system does, case aside.
bool BRWTemporaryFileMgr::IsRemembered(const std::wstring& path) const
{
    constexpr BOOL kIgnoreCase = TRUE;
    for (int slot = 0; slot < files_.Count(); ++slot) {
        const auto* file = static_cast<const BRWTemporaryFile*>(files_.At(slot));
        if (file != nullptr &&
            CompareStringOrdinal(file->Path().c_str(), -1, path.c_str(), -1, kIgnoreCase) == CSTR_EQUAL) {
            return true;
        }
    }
    return false;
}

bool BRWTemporaryFileMgr::OnObject(QXObject* object)
{
    static_cast<BRWTemporaryFile*>(object)->TryDelete();
    return true;
}

bool BRWTemporaryFileMgr::IsDone(QXObject* object)
{
    return static_cast<BRWTemporaryFile*>(object)->IsDeleted();
}

} // namespace brw
