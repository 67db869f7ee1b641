// notes.exe: a stand-in Notes client for notes:/// URLs. It appends one line
// per request to notes-client.log in the data directory,
//   open database=<path> note=<id>
// and shows the note's subject. Both lines, and "subject=<text>", also go to
// standard output when it is redirected, so a test can follow the client. "notes.exe /register" and "/unregister"
// add and remove the notes: URL protocol for the current user.
#include "common/Handles.h"
#include "platform/notes/Lmbcs.h"

#include <notesapi.h>
#include <shellapi.h>

#include <string>

namespace {

constexpr wchar_t kPrefix[] = L"notes:///";
constexpr wchar_t kDocumentSeparator[] = L"/0/";
constexpr wchar_t kProtocolKey[] = L"Software\\Classes\\notes";
constexpr wchar_t kCommandKey[] = L"Software\\Classes\\notes\\shell\\open\\command";
constexpr wchar_t kLogName[] = L"\\notes-client.log";
constexpr wchar_t kTitle[] = L"Notes";

struct Request {
    std::wstring database;
    std::wstring note;
};

bool ParseUrl(std::wstring url, Request* request)
{
    if (url.size() < wcslen(kPrefix) || _wcsnicmp(url.c_str(), kPrefix, wcslen(kPrefix)) != 0) {
        return false;
    }
    url = url.substr(wcslen(kPrefix));
    const size_t split = url.rfind(kDocumentSeparator);
    if (split == std::wstring::npos) {
        request->database = url;
    } else {
        request->database = url.substr(0, split);
        request->note = url.substr(split + wcslen(kDocumentSeparator));
    }
    for (wchar_t& c : request->database) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    return true;
}

std::wstring DataDirectory()
{
    char buffer[MAXPATH] = {};
    return OSGetEnvironmentString("Directory", buffer, MAXPATH) ? lmbcs::ToWide(buffer) : std::wstring();
}

void WriteOut(const std::string& bytes)
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    if (out != nullptr && out != INVALID_HANDLE_VALUE) {
        WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
}

void AppendLog(const Request& request)
{
    const std::wstring path = DataDirectory() + kLogName;
    brw::FileHandle log(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log) {
        return;
    }
    const std::wstring line = L"open database=" + request.database + L" note=" + request.note + L"\r\n";
    const std::string bytes = lmbcs::FromWide(line);
    WriteOut(bytes);
    DWORD written = 0;
    WriteFile(log.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring Subject(const Request& request)
{
    DBHANDLE db = 0;
    if (NSFDbOpen(lmbcs::FromWide(request.database).c_str(), &db) != NOERROR_STATUS) {
        return L"The database " + request.database + L" cannot be opened.";
    }
    std::wstring text = request.database;
    if (!request.note.empty()) {
        NOTEHANDLE note = 0;
        const NOTEID id = wcstoul(request.note.c_str(), nullptr, 16);
        if (NSFNoteOpen(db, id, 0, &note) == NOERROR_STATUS) {
            char subject[256] = {};
            NSFItemGetText(note, "Subject", subject, sizeof(subject));
            text = lmbcs::ToWide(subject);
            NSFNoteClose(note);
        } else {
            text = L"The document " + request.note + L" cannot be opened.";
        }
    }
    NSFDbClose(db);
    return text;
}

int Register(bool add)
{
    if (!add) {
        return RegDeleteTreeW(HKEY_CURRENT_USER, kProtocolKey) == ERROR_SUCCESS ? 0 : 1;
    }
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        return 1;
    }
    const std::wstring command = L"\"" + std::wstring(self) + L"\" \"%1\"";
    const std::wstring description = L"URL:Notes Protocol";
    brw::RegKey protocol;
    brw::RegKey open;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kProtocolKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, protocol.put(),
                        nullptr) != ERROR_SUCCESS ||
        RegCreateKeyExW(HKEY_CURRENT_USER, kCommandKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, open.put(), nullptr) !=
            ERROR_SUCCESS) {
        return 1;
    }
    const auto bytes = [](const std::wstring& s) { return static_cast<DWORD>((s.size() + 1) * sizeof(wchar_t)); };
    const bool ok =
        RegSetValueExW(protocol.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(description.c_str()),
                       bytes(description)) == ERROR_SUCCESS &&
        RegSetValueExW(protocol.get(), L"URL Protocol", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""),
                       sizeof(wchar_t)) == ERROR_SUCCESS &&
        RegSetValueExW(open.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       bytes(command)) == ERROR_SUCCESS;
    return ok ? 0 : 1;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine, &argc);
    if (argv == nullptr) {
        return 1;
    }
    const std::wstring argument = (argc >= 1 && commandLine[0] != 0) ? argv[0] : L"";
    LocalFree(argv);
    if (argument == L"/register" || argument == L"/unregister") {
        return Register(argument == L"/register");
    }
    Request request;
    if (!ParseUrl(argument, &request)) {
        return 1;
    }
    if (NotesInitExtended(0, nullptr) != NOERROR_STATUS) {
        return 1;
    }
    AppendLog(request);
    const std::wstring subject = Subject(request);
    WriteOut(lmbcs::FromWide(L"subject=" + subject + L"\r\n"));
    MessageBoxW(nullptr, subject.c_str(), kTitle, MB_OK | MB_ICONINFORMATION);
    NotesTerm();
    return 0;
}
