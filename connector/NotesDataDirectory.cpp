#include "connector/NotesDataDirectory.h"

#include "common/FindHandle.h"
#include "connector/SettingsStore.h"

namespace brw::discovery {
namespace {

constexpr wchar_t kMailFiles[] = L"mail\\*.nsf";
constexpr wchar_t kProfileVariable[] = L"USERPROFILE";

bool FitsPathBuffer(const std::wstring& path)
{
    return !path.empty() && path.size() < kPathBufferLength;
}

std::wstring Joined(const std::wstring& folder, const wchar_t* relative)
{
    if (folder.empty()) {
        return {};
    }
    return folder.back() == L'\\' ? folder + relative : folder + L"\\" + relative;
}

std::wstring ProfileFolder()
{
    wchar_t buffer[kPathBufferLength];
    const DWORD length = GetEnvironmentVariableW(kProfileVariable, buffer, kPathBufferLength);
    return length == 0 || length >= kPathBufferLength ? std::wstring() : std::wstring(buffer, length);
}

bool IsDirectory(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

std::vector<std::wstring> DataDirectoryCandidates(const std::optional<std::wstring>& notesDirectory)
{
    std::vector<std::wstring> candidates;
    auto add = [&candidates](const std::wstring& path) {
        if (FitsPathBuffer(path)) {
            candidates.push_back(path);
        }
    };
    if (notesDirectory) {
        add(*notesDirectory);
    }
    RegKey notes = settings::OpenForReading(HKEY_LOCAL_MACHINE, settings::kNotesKeyPath);
    if (notes && !settings::IsFlagSet(notes.get(), settings::kNotesMultiUser)) {
        add(settings::ReadString(notes.get(), settings::kNotesDataPath, kDataPathLimit).value_or(std::wstring()));
    }
    const std::wstring profile = ProfileFolder();
    add(Joined(profile, kLocalAppDataNotes));
    add(Joined(profile, kRoamingAppDataNotes));
    return candidates;
}

std::optional<std::wstring> UserDataDirectory(const std::optional<std::wstring>& notesDirectory)
{
    for (const std::wstring& candidate : DataDirectoryCandidates(notesDirectory)) {
        if (IsDirectory(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

std::wstring MailPattern(const std::wstring& dataDirectory)
{
    std::wstring pattern = Joined(dataDirectory, kMailFiles);
    return FitsPathBuffer(pattern) ? pattern : std::wstring();
}

bool MailFilesPresent(const std::optional<std::wstring>& notesDirectory)
{
    const std::optional<std::wstring> directory = UserDataDirectory(notesDirectory);
    const std::wstring pattern = directory ? MailPattern(*directory) : std::wstring();
    if (pattern.empty()) {
        return false;
    }
    WIN32_FIND_DATAW entry;
    FindHandle search(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0));
    if (!search) {
        return false;
    }
    bool found = false;
    do {
        found = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    } while (!found && FindNextFileW(search.get(), &entry));
    return found;
}

} // namespace brw::discovery
