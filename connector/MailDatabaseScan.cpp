#include "connector/MailDatabaseScan.h"

#include "common/FindHandle.h"
#include "connector/SettingsStore.h"

#include <cwchar>

namespace brw::discovery {
namespace {

constexpr wchar_t kDatabaseExtension[] = L".nsf";
constexpr size_t kDatabaseExtensionLength = 4;

// Critical-error boxes ("There is no disk in the drive") are off on this
// thread while the holder lives; the thread's earlier mode comes back after.
class CriticalErrorsSuppressed {
public:
    CriticalErrorsSuppressed()
    {
        restore_ = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_) != FALSE;
    }
    ~CriticalErrorsSuppressed()
    {
        if (restore_) {
            SetThreadErrorMode(previous_, nullptr);
        }
    }
    CriticalErrorsSuppressed(const CriticalErrorsSuppressed&) = delete;
    CriticalErrorsSuppressed& operator=(const CriticalErrorsSuppressed&) = delete;

private:
    DWORD previous_ = 0;
    bool restore_ = false;
};

bool IsOnFixedDisk(const std::wstring& root)
{
    if (root.size() < 3 || root[1] != L':' || root[2] != L'\\') {
        return false;
    }
    return GetDriveTypeW(root.substr(0, 3).c_str()) == DRIVE_FIXED;
}

bool IsDatabaseName(const wchar_t* name)
{
    const size_t length = wcslen(name);
    return length > kDatabaseExtensionLength && CompareStringOrdinal(name + length - kDatabaseExtensionLength, -1,
                                                                     kDatabaseExtension, -1, TRUE) == CSTR_EQUAL;
}

bool IsSkipped(const WIN32_FIND_DATAW& entry)
{
    // A junction or symbolic link may lead back up the tree; the disk's own
    // folders are all reached without following one.
    constexpr DWORD kSkippedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_REPARSE_POINT;
    return (entry.dwFileAttributes & kSkippedAttributes) != 0 || wcscmp(entry.cFileName, L".") == 0 ||
           wcscmp(entry.cFileName, L"..") == 0;
}

class Walk {
public:
    explicit Walk(DatabaseInfoSource& source) : source_(source) {}

    std::vector<std::wstring> Run(const std::wstring& root)
    {
        // Folders are kept without their final separator: "D:" for the root.
        std::vector<std::wstring> pending{root.substr(0, root.find_last_not_of(L'\\') + 1)};
        while (!pending.empty()) {
            const std::wstring folder = std::move(pending.back());
            pending.pop_back();
            List(folder, pending);
        }
        return std::move(found_);
    }

private:
    void List(const std::wstring& folder, std::vector<std::wstring>& pending)
    {
        const std::wstring pattern = folder + L"\\*";
        if (pattern.size() >= MAX_PATH) {
            return;
        }
        WIN32_FIND_DATAW entry;
        FindHandle search(
            FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0));
        if (!search) {
            return;
        }
        do {
            if (!IsSkipped(entry)) {
                Visit(folder + L"\\" + entry.cFileName, entry, pending);
            }
        } while (FindNextFileW(search.get(), &entry));
    }

    void Visit(const std::wstring& path, const WIN32_FIND_DATAW& entry, std::vector<std::wstring>& pending)
    {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // Its pattern ("\*") must still fit a path buffer.
            if (path.size() + 2 < MAX_PATH) {
                pending.push_back(path);
            }
            return;
        }
        if (!IsDatabaseName(entry.cFileName) || path.size() > settings::kDatabasePathLimit) {
            return;
        }
        DatabaseInfo info;
        if (source_.Query(path, InfoDetail::MailCheckOnly, &info) && info.isMail) {
            found_.push_back(path);
        }
    }

    DatabaseInfoSource& source_;
    std::vector<std::wstring> found_;
};

} // namespace

std::vector<std::wstring> FindMailDatabases(const std::wstring& root, DatabaseInfoSource& source)
{
    CriticalErrorsSuppressed quiet;
    if (!IsOnFixedDisk(root)) {
        return {};
    }
    return Walk(source).Run(root);
}

size_t AddToDatabaseList(const std::vector<std::wstring>& paths)
{
    RegKey list = settings::OpenDatabasesKey();
    size_t added = 0;
    for (const std::wstring& path : paths) {
        if (!list || path.empty() || path.size() > settings::kDatabasePathLimit) {
            continue;
        }
        const bool listed =
            RegQueryValueExW(list.get(), path.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        if (!listed && settings::WriteString(list.get(), path.c_str(), std::wstring())) {
            ++added;
        }
    }
    return added;
}

} // namespace brw::discovery
