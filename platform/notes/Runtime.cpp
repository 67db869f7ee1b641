#include "platform/notes/Runtime.h"

#include "platform/notes/Lmbcs.h"
#include "platform/notes/PasswordPrompt.h"

#include <algorithm>
#include <cstring>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace runtime {
namespace {

struct State {
    std::mutex lock;
    int initCount = 0;
    Settings settings;
    std::vector<std::unique_ptr<Object>> slots;
    std::vector<DWORD> freeSlots;
    struct CachedFile {
        std::shared_ptr<const nsf::DbImage> image;
        FILETIME written{};
        ULONGLONG size = 0;
    };
    std::map<std::wstring, CachedFile> cache; // keys in lower case
    bool loggedIn = false;
};

State& Global()
{
    static State state;
    return state;
}

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(towlower(c));
    }
    return text;
}

std::string LowerNarrow(std::string text)
{
    for (char& c : text) {
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::wstring ModuleFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), path, MAX_PATH);
    std::wstring folder(path, n < MAX_PATH ? n : 0);
    const size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
}

std::wstring IniPathFromArguments(int argc, char** argv)
{
    for (int i = 1; argv != nullptr && i < argc; ++i) {
        if (argv[i] != nullptr && argv[i][0] == '=' && argv[i][1] != 0) {
            std::wstring path = lmbcs::ToWide(argv[i] + 1);
            if (path.find_first_of(L"\\/") == std::wstring::npos) {
                path = ModuleFolder() + L"\\" + path;
            }
            return path;
        }
    }
    return ModuleFolder() + L"\\notes.ini";
}

// notes.ini is a plain list of Name=Value lines under [Notes]; lines longer
// than the environment limit are cut there, as the client does.
void ReadIni(const std::wstring& path, Settings& settings)
{
    std::vector<BYTE> bytes;
    settings.values.clear();
    if (!nsf::ReadWholeFile(path, bytes) || bytes.size() > (1u << 20)) {
        return;
    }
    for (const std::string& line : TextLines(bytes)) {
        const size_t eq = line.find('=');
        if (line.empty() || line[0] == '[' || line[0] == ';' || eq == std::string::npos || eq == 0) {
            continue;
        }
        std::string value = line.substr(eq + 1);
        if (value.size() >= MAXENVVALUE) {
            value.resize(MAXENVVALUE - 1);
        }
        settings.values[LowerNarrow(line.substr(0, eq))] = value;
    }
    std::wstring dir = lmbcs::ToWide(settings.values["directory"]);
    while (!dir.empty() && (dir.back() == L'\\' || dir.back() == L'/')) {
        dir.pop_back();
    }
    settings.dataDirectory = dir;
}

bool SameFileState(const State::CachedFile& cached, const WIN32_FILE_ATTRIBUTE_DATA& data)
{
    const ULONGLONG size = (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return cached.size == size && CompareFileTime(&cached.written, &data.ftLastWriteTime) == 0;
}

} // namespace

std::vector<std::string> TextLines(const std::vector<BYTE>& bytes)
{
    const std::string text(bytes.begin(), bytes.end());
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
            line.pop_back();
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

NoteObject::~NoteObject()
{
    for (const ItemRef& item : items) {
        if (item.valueHandle != 0) {
            Remove(item.valueHandle, Kind::Memory);
        }
    }
}

void NoteObject::AddItem(const std::string& name, WORD itemFlags, std::vector<BYTE> value)
{
    owned.emplace_back(name.begin(), name.end());
    const std::vector<BYTE>& storedName = owned.back();
    owned.push_back(std::move(value));
    const std::vector<BYTE>& storedValue = owned.back();
    ItemRef ref{};
    ref.name = reinterpret_cast<const char*>(storedName.data());
    ref.nameLength = static_cast<WORD>(storedName.size());
    ref.flags = itemFlags;
    ref.value = storedValue.data();
    ref.valueLength = static_cast<DWORD>(storedValue.size());
    items.push_back(ref);
}

const ItemRef* NoteObject::FindItem(const char* name, size_t length, size_t from) const
{
    for (size_t i = from; i < items.size(); ++i) {
        if (items[i].nameLength == length && _strnicmp(items[i].name, name, length) == 0) {
            return &items[i];
        }
    }
    return nullptr;
}

STATUS Initialise(int argc, char** argv)
{
    State& s = Global();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.initCount++ == 0) {
        s.settings.iniPath = IniPathFromArguments(argc, argv);
        ReadIni(s.settings.iniPath, s.settings);
        s.loggedIn = false;
    }
    return NOERROR_STATUS;
}

void Terminate()
{
    State& s = Global();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.initCount > 0 && --s.initCount == 0) {
        s.cache.clear();
    }
}

bool IsInitialised()
{
    State& s = Global();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.initCount > 0;
}

std::string Setting(const char* name)
{
    State& s = Global();
    std::lock_guard<std::mutex> guard(s.lock);
    auto it = s.settings.values.find(LowerNarrow(name));
    return it == s.settings.values.end() ? std::string() : it->second;
}

std::wstring DataDirectory()
{
    State& s = Global();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.settings.dataDirectory;
}

std::wstring ResolvePath(const char* lmbcsPath)
{
    std::wstring path = lmbcs::ToWide(lmbcsPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    const bool absolute = (path.size() > 1 && path[1] == L':') || (path.size() > 1 && path[0] == L'\\');
    if (!absolute) {
        const std::wstring data = DataDirectory();
        path = path.empty() ? data : data + L"\\" + path;
    }
    wchar_t full[MAX_PATH];
    const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return (n > 0 && n < MAX_PATH) ? std::wstring(full, n) : path;
}

std::wstring RelativeToData(const std::wstring& fullPath)
{
    const std::wstring data = DataDirectory();
    if (!data.empty() && fullPath.size() > data.size() + 1 && fullPath[data.size()] == L'\\' &&
        _wcsnicmp(fullPath.c_str(), data.c_str(), data.size()) == 0) {
        return fullPath.substr(data.size() + 1);
    }
    return fullPath;
}

DHANDLE Add(std::unique_ptr<Object> object)
{
    State& s = Global();
    std::lock_guard<std::mutex> guard(s.lock);
    if (!s.freeSlots.empty()) {
        const DWORD index = s.freeSlots.back();
        s.freeSlots.pop_back();
        s.slots[index] = std::move(object);
        return index + 1;
    }
    s.slots.push_back(std::move(object));
    return static_cast<DHANDLE>(s.slots.size());
}

Object* Find(DHANDLE handle, Kind kind)
{
    State& s = Global();
    std::lock_guard<std::mutex> guard(s.lock);
    if (handle == 0 || handle > s.slots.size()) {
        return nullptr;
    }
    Object* object = s.slots[handle - 1].get();
    return (object != nullptr && object->GetKind() == kind) ? object : nullptr;
}

bool Remove(DHANDLE handle, Kind kind)
{
    std::unique_ptr<Object> doomed;
    {
        State& s = Global();
        std::lock_guard<std::mutex> guard(s.lock);
        if (handle == 0 || handle > s.slots.size() || !s.slots[handle - 1] || s.slots[handle - 1]->GetKind() != kind) {
            return false;
        }
        doomed = std::move(s.slots[handle - 1]);
        s.freeSlots.push_back(handle - 1);
    }
    // Destroyed outside the lock: a note releases its own memory handles.
    doomed.reset();
    return true;
}

DHANDLE AddMemoryCopy(const void* data, size_t size)
{
    auto memory = std::make_unique<MemoryObject>();
    memory->owned.resize(size + 1, 0); // never empty, so the address is valid
    if (size > 0) {
        std::memcpy(memory->owned.data(), data, size);
    }
    memory->address = memory->owned.data();
    memory->size = static_cast<DWORD>(size);
    return Add(std::move(memory));
}

DHANDLE AddMemoryView(const void* data, size_t size, std::shared_ptr<const nsf::DbImage> keepAlive)
{
    auto memory = std::make_unique<MemoryObject>();
    memory->address = const_cast<void*>(data);
    memory->size = static_cast<DWORD>(size);
    memory->keepAlive = std::move(keepAlive);
    return Add(std::move(memory));
}

std::shared_ptr<const nsf::DbImage> LoadImage(const std::wstring& path, STATUS* status)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        *status = ERR_NOEXIST;
        return nullptr;
    }
    State& s = Global();
    const std::wstring key = Lower(path);
    {
        std::lock_guard<std::mutex> guard(s.lock);
        auto it = s.cache.find(key);
        if (it != s.cache.end() && SameFileState(it->second, data)) {
            *status = NOERROR_STATUS;
            return it->second.image;
        }
    }
    nsf::ByteBuffer bytes;
    if (!nsf::ReadWholeFile(path, bytes)) {
        *status = ERR_NOEXIST;
        return nullptr;
    }
    auto image = nsf::DbImage::Parse(std::move(bytes), status);
    if (!image) {
        return nullptr;
    }
    std::lock_guard<std::mutex> guard(s.lock);
    State::CachedFile& cached = s.cache[key];
    cached.image = image;
    cached.written = data.ftLastWriteTime;
    cached.size = (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return image;
}

STATUS EnsureLoggedIn()
{
    State& s = Global();
    {
        std::lock_guard<std::mutex> guard(s.lock);
        if (s.loggedIn) {
            return NOERROR_STATUS;
        }
    }
    const STATUS status = password::PromptIfNeeded();
    if (status == NOERROR_STATUS) {
        std::lock_guard<std::mutex> guard(s.lock);
        s.loggedIn = true;
    }
    return status;
}

} // namespace runtime
