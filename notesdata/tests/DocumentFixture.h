#pragma once
// get_document against databases imported from DXL that the test writes,
// so that note ids, times, names and raw values are exactly as it says.
#include "common/Handles.h"
#include "common/WideString.h"
#include "notesdata/files/TemporaryFiles.h"
#include "notesdata/tests/MimeItemsDxl.h"
#include "notesdata/tests/NotesDataFixture.h"

#include <string>

namespace brwtest {

inline constexpr wchar_t kDocumentReplica[] = L"85257A1B00512345";

class DocumentFixture : public NotesDataTest {
protected:
    // notesXml: the DXL notes of the database (document elements).
    void ImportDatabase(const std::wstring& database, const std::string& notesXml,
                        const std::wstring& replica = kDocumentReplica)
    {
        for (size_t slash = database.find(L'\\'); slash != std::wstring::npos;
             slash = database.find(L'\\', slash + 1)) {
            CreateDirectoryW(DataPath(database.substr(0, slash)).c_str(), nullptr);
        }
        const std::string dxl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><database replicaid=\"" +
                                brw::WideToUtf8(replica) + "\">" + notesXml + "</database>";
        const std::wstring input = WriteInputFile(L"import" + std::to_wstring(++imports_) + L".dxl", dxl);
        Notesdb(L"import " + Quoted(input) + L" " + Quoted(DataPath(database)));
    }

    // get_document on the database with the test's tempdir; more holds
    // further attributes.
    CommandResult GetDocument(const std::wstring& database, const std::wstring& id, const std::wstring& more = L"")
    {
        return Run(L"<get_document db=\"" + database + L"\" tempdir=\"" + TempDir() + L"\" id=\"" + id + L"\" " + more +
                   L"/>");
    }

    // Where this process and thread write the files of a reply.
    std::wstring ReplyFolder() const
    {
        return TempDir() + brw::FormatText(L"\\Quexlink\\%X-%X", GetCurrentProcessId(), GetCurrentThreadId());
    }

    std::wstring ReplyFile(const std::wstring& name) const { return ReplyFolder() + L"\\" + name; }

    // The body file of note 8F6 that the next request writes: bodies take
    // the process's serials in turn, so it has the one after this call's.
    std::wstring NextBodyFile(const wchar_t* extension) const
    {
        return ReplyFile(std::wstring(kDocumentReplica) + brw::FormatText(L"-8F6_%X.", brw::NextBodySerial() + 1) +
                         extension);
    }

private:
    int imports_ = 0;
};

// Base64 text of bytes, as DXL writes binary data.
inline std::string Base64(const std::string& bytes)
{
    return mimedxl::Base64Of(bytes);
}

// An item of raw value bytes after the given type word.
inline std::string RawItem(const std::string& name, const char* type, const std::string& bytes)
{
    return mimedxl::RawItemOf(name, type, bytes);
}

// A UTC time as a reply shows it: local time of this machine, day first.
inline std::wstring ReplyTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME utc{year, month, 0, day, hour, minute, second, 0};
    SYSTEMTIME local{};
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    return brw::FormatText(L"%02u/%02u/%04u %02u:%02u:%02u", local.wDay, local.wMonth, local.wYear, local.wHour,
                           local.wMinute, local.wSecond);
}

// The text of the first element of that name in a reply; empty without one.
inline std::wstring ElementText(const std::wstring& reply, const std::wstring& name)
{
    const std::wstring open = L"<" + name + L">";
    const size_t start = reply.find(open);
    const size_t end = start == std::wstring::npos ? start : reply.find(L"</" + name + L">", start);
    return end == std::wstring::npos ? std::wstring() : reply.substr(start + open.size(), end - start - open.size());
}

inline bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Windows keeps all three finished attributes; Wine stores only read-only
// on its Unix file system, so that is what is checked.
inline bool IsReadOnly(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

inline std::string ReadFileBytes(const std::wstring& path)
{
    brw::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (file && ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    return bytes;
}

struct FindHandleTraits {
    using pointer = HANDLE;
    static pointer Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(pointer h) noexcept { return h != INVALID_HANDLE_VALUE; }
    static void Close(pointer h) noexcept { FindClose(h); }
};

// How many files (not folders) a folder holds; 0 when it does not exist.
inline size_t FileCount(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    brw::UniqueResource<FindHandleTraits> search(FindFirstFileW((folder + L"\\*").c_str(), &found));
    size_t count = 0;
    if (!search) {
        return 0;
    }
    do {
        count += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ? 1 : 0;
    } while (FindNextFileW(search.get(), &found));
    return count;
}

} // namespace brwtest
