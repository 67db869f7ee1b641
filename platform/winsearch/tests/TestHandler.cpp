// The tests' protocol handler for the "brwtest" scheme, and a filter
// registered for ".brwt" files. URLs:
//   brwtest://t<F>x<D>/...   a tree D levels deep with F children per
//                            container; the D-th level are leaves
//   brwtest://u<F>x<D>/...   the same, but a leaf tells no time of its own:
//                            only the links to it carry one
//   brwtest://special/       one leaf for each way an item can be read or
//                            can fail: ok, text.txt, text8.txt, note.rtf,
//                            doc.brwt, missing.zzz, fail, garbage, hang,
//                            crash, after
#include "common/ClassFactory.h"
#include "common/ComHolders.h"
#include "common/ComObject.h"
#include "common/ModuleLock.h"
#include "common/Registrar.h"
#include "common/WideString.h"
#include "platform/winsearch/tests/TestHandlerIds.h"

#include <filterr.h>
#include <searchapi.h>
#include <shlwapi.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

using namespace brw;
using namespace brwtest;

HMODULE g_module = nullptr;

constexpr GUID kStorageSet = {0xb725f130, 0x47ef, 0x101a, {0xa5, 0xf1, 0x02, 0x60, 0x8c, 0x9e, 0xeb, 0xac}};
constexpr GUID kSummarySet = {0xf29f85e0, 0x4ff9, 0x1068, {0xab, 0x91, 0x08, 0x00, 0x2b, 0x27, 0xb3, 0xd9}};
constexpr GUID kGatherSet = {0x0b63e343, 0x9ccc, 0x11d0, {0xbc, 0xdb, 0x00, 0x80, 0x5f, 0xcc, 0xce, 0x04}};
constexpr PROPERTYKEY kName = {kStorageSet, 10};
constexpr PROPERTYKEY kAuthor = {kSummarySet, 4};
constexpr PROPERTYKEY kKind = {{0x1e3ee840, 0xbc2b, 0x476c, {0x82, 0x37, 0x2a, 0xcd, 0x1a, 0x83, 0x9b, 0x22}}, 3};
constexpr PROPERTYKEY kItemType = {{0x28636aa6, 0x953d, 0x11d2, {0xb5, 0xd6, 0x00, 0xc0, 0x4f, 0xd9, 0x18, 0xd0}}, 11};
constexpr PROPERTYKEY kDate = {kStorageSet, 14};
constexpr PROPERTYKEY kContents = {kStorageSet, 19};
constexpr PROPERTYKEY kLink = {kGatherSet, 12};
// 2020-01-01T00:00:00Z
constexpr unsigned long long kBaseTime = 132223104000000000ULL;
constexpr unsigned long long kDay = 864000000000ULL;

std::wstring Environment(const wchar_t* name)
{
    wchar_t value[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    return (length > 0 && length < 1024) ? std::wstring(value, length) : std::wstring();
}

// Several filtering workers log at once. Windows makes each write of a file
// opened for appending only land whole at the end; Wine seeks and writes in
// two steps, so two processes can overwrite each other's line. A mutex named
// after the log serialises the appends.
KernelHandle LogMutex(const std::wstring& path)
{
    unsigned long hash = 2166136261u;
    for (wchar_t c : path) {
        hash = (hash ^ static_cast<unsigned long>(c)) * 16777619u;
    }
    return KernelHandle(CreateMutexW(nullptr, FALSE, FormatText(L"Local\\BrwTestHandlerLog.%08lX", hash).c_str()));
}

void LogCall(const std::wstring& line)
{
    const std::wstring path = Environment(kCallLogVariable);
    if (path.empty()) {
        return;
    }
    const KernelHandle mutex = LogMutex(path);
    const DWORD waited = mutex ? WaitForSingleObject(mutex.get(), INFINITE) : WAIT_FAILED;
    FileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string bytes = WideToUtf8(line + L"\n");
    DWORD written = 0;
    if (file) {
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    file.reset();
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        ReleaseMutex(mutex.get());
    }
}

unsigned long long Generation()
{
    return std::wcstoull(Environment(kGenerationVariable).c_str(), nullptr, 10);
}

FILETIME ToFileTime(unsigned long long count)
{
    return FILETIME{static_cast<DWORD>(count), static_cast<DWORD>(count >> 32)};
}

// ---------------------------------------------------------------- URLs

struct TestUrl {
    bool valid = false;
    bool special = false;
    bool untimed = false;
    unsigned fanout = 0;
    unsigned depth = 0;
    std::wstring base; // the URL without a trailing slash
    std::vector<std::wstring> segments;
};

TestUrl ParseUrl(const std::wstring& url)
{
    TestUrl parsed;
    const std::wstring prefix = std::wstring(kTestScheme) + L"://";
    if (url.compare(0, prefix.size(), prefix) != 0) {
        return parsed;
    }
    std::wstring rest = url.substr(prefix.size());
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start <= rest.size()) {
        const size_t slash = rest.find(L'/', start);
        const std::wstring part = rest.substr(start, slash == std::wstring::npos ? std::wstring::npos : slash - start);
        if (!part.empty()) {
            parts.push_back(part);
        }
        if (slash == std::wstring::npos) {
            break;
        }
        start = slash + 1;
    }
    if (parts.empty()) {
        return parsed;
    }
    parsed.base = url;
    while (!parsed.base.empty() && parsed.base.back() == L'/') {
        parsed.base.pop_back();
    }
    parsed.segments.assign(parts.begin() + 1, parts.end());
    if (parts[0] == L"special") {
        parsed.special = true;
        parsed.valid = parsed.segments.size() <= 1;
        return parsed;
    }
    parsed.untimed = parts[0][0] == L'u';
    parsed.valid = (parts[0][0] == L't' || parsed.untimed) &&
                   std::swscanf(parts[0].c_str() + 1, L"%ux%u", &parsed.fanout, &parsed.depth) == 2 &&
                   parsed.fanout > 0 && parsed.fanout <= 1000 && parsed.depth <= 6 &&
                   parsed.segments.size() <= parsed.depth;
    return parsed;
}

bool IsContainer(const TestUrl& url)
{
    return url.special ? url.segments.empty() : url.segments.size() < url.depth;
}

unsigned Ordinal(const TestUrl& url)
{
    unsigned ordinal = 0;
    for (const std::wstring& segment : url.segments) {
        ordinal = ordinal * url.fanout + static_cast<unsigned>(std::wcstoul(segment.c_str() + 1, nullptr, 10));
    }
    return ordinal;
}

unsigned long long LeafModified()
{
    return kBaseTime + Generation() * 10000000ULL + 1;
}

// ---------------------------------------------------------------- filters

enum class Behaviour { Normal, FailAfterFirst, Garbage, Hang, Crash };

struct Chunk {
    bool isText = false;
    PROPERTYKEY key{};
    std::wstring text; // text chunks, string values, link URLs
    bool isLink = false;
    bool isFileTime = false;
    unsigned long long time = 0;
};

class ScriptedFilter final : public ComObject<IFilter> {
public:
    ScriptedFilter(std::vector<Chunk> chunks, Behaviour behaviour) : chunks_(std::move(chunks)), behaviour_(behaviour)
    {
    }

    IFACEMETHODIMP Init(ULONG, ULONG, const FULLPROPSPEC*, ULONG* flags) override
    {
        if (flags) {
            *flags = 0;
        }
        next_ = 0;
        return S_OK;
    }
    IFACEMETHODIMP GetChunk(STAT_CHUNK* stat) override
    {
        if (behaviour_ == Behaviour::Hang) {
            KernelHandle never(CreateEventW(nullptr, TRUE, FALSE, nullptr));
            WaitForSingleObject(never.get(), INFINITE);
        }
        if (behaviour_ == Behaviour::Crash) {
            RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
        }
        if (behaviour_ == Behaviour::FailAfterFirst && next_ == 1) {
            return E_FAIL;
        }
        if (behaviour_ == Behaviour::Garbage && garbageStep_ < 2) {
            // First a chunk that is neither text nor value, then a text
            // chunk whose GetText claims more than the buffer holds.
            *stat = STAT_CHUNK{};
            stat->idChunk = static_cast<ULONG>(100 + ++garbageStep_);
            stat->flags = garbageStep_ == 1 ? static_cast<CHUNKSTATE>(0x40) : CHUNK_TEXT;
            lying_ = garbageStep_ == 2;
            return S_OK;
        }
        lying_ = false;
        if (next_ >= chunks_.size()) {
            return FILTER_E_END_OF_CHUNKS;
        }
        current_ = &chunks_[next_++];
        *stat = STAT_CHUNK{};
        stat->idChunk = static_cast<ULONG>(next_ + 1);
        stat->breakType = CHUNK_EOP;
        stat->flags = current_->isText ? CHUNK_TEXT : CHUNK_VALUE;
        stat->locale = 0x409;
        stat->attribute.guidPropSet = current_->key.fmtid;
        stat->attribute.psProperty.ulKind = PRSPEC_PROPID;
        stat->attribute.psProperty.propid = current_->key.pid;
        stat->idChunkSource = stat->idChunk;
        textGiven_ = false;
        valueGiven_ = false;
        return S_OK;
    }
    IFACEMETHODIMP GetText(ULONG* length, WCHAR* buffer) override
    {
        if (lying_) {
            *length = 0xFFFFFFF0u; // far more than the buffer
            return S_OK;
        }
        if (!current_ || !current_->isText || textGiven_) {
            *length = 0;
            return FILTER_E_NO_MORE_TEXT;
        }
        const size_t count = std::min<size_t>(*length, current_->text.size());
        std::wmemcpy(buffer, current_->text.data(), count);
        *length = static_cast<ULONG>(count);
        textGiven_ = true;
        return S_OK;
    }
    IFACEMETHODIMP GetValue(PROPVARIANT** value) override
    {
        *value = nullptr;
        if (!current_ || current_->isText || valueGiven_) {
            return FILTER_E_NO_MORE_VALUES;
        }
        valueGiven_ = true;
        auto* result = static_cast<PROPVARIANT*>(CoTaskMemAlloc(sizeof(PROPVARIANT)));
        if (!result) {
            return E_OUTOFMEMORY;
        }
        PropVariantInit(result);
        if (current_->isLink) {
            auto* items = static_cast<PROPVARIANT*>(CoTaskMemAlloc(2 * sizeof(PROPVARIANT)));
            wchar_t* url = nullptr;
            if (!items || FAILED(DuplicateCoTaskMemString(current_->text.c_str(), &url))) {
                CoTaskMemFree(items);
                CoTaskMemFree(result);
                return E_OUTOFMEMORY;
            }
            items[0].vt = VT_LPWSTR;
            items[0].pwszVal = url;
            items[1].vt = VT_FILETIME;
            items[1].filetime = ToFileTime(current_->time);
            result->vt = VT_VECTOR | VT_VARIANT;
            result->capropvar.cElems = 2;
            result->capropvar.pElems = items;
        } else if (current_->isFileTime) {
            result->vt = VT_FILETIME;
            result->filetime = ToFileTime(current_->time);
        } else {
            result->vt = VT_BSTR;
            result->bstrVal = SysAllocString(current_->text.c_str());
        }
        *value = result;
        return S_OK;
    }
    IFACEMETHODIMP BindRegion(FILTERREGION, REFIID, void**) override { return E_NOTIMPL; }

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override
    {
        static const QITAB kInterfaces[] = {QITABENT(ScriptedFilter, IFilter), {}};
        return QISearch(this, kInterfaces, riid, ppv);
    }

private:
    std::vector<Chunk> chunks_;
    Behaviour behaviour_;
    size_t next_ = 0;
    const Chunk* current_ = nullptr;
    bool textGiven_ = false;
    bool valueGiven_ = false;
    bool lying_ = false;
    int garbageStep_ = 0;
};

// The filter registered for ".brwt": its stream's UTF-8 text, through
// IPersistStream only.
class ContentFilter final : public ComObject<IFilter, IPersistStream> {
public:
    IFACEMETHODIMP Init(ULONG, ULONG, const FULLPROPSPEC*, ULONG* flags) override
    {
        *flags = 0;
        given_ = false;
        inChunk_ = false;
        return S_OK;
    }
    IFACEMETHODIMP GetChunk(STAT_CHUNK* stat) override
    {
        if (given_) {
            return FILTER_E_END_OF_CHUNKS;
        }
        given_ = true;
        inChunk_ = true;
        *stat = STAT_CHUNK{};
        stat->idChunk = 1;
        stat->flags = CHUNK_TEXT;
        stat->attribute.guidPropSet = kContents.fmtid;
        stat->attribute.psProperty.ulKind = PRSPEC_PROPID;
        stat->attribute.psProperty.propid = kContents.pid;
        stat->idChunkSource = 1;
        return S_OK;
    }
    IFACEMETHODIMP GetText(ULONG* length, WCHAR* buffer) override
    {
        if (!inChunk_) {
            *length = 0;
            return FILTER_E_NO_MORE_TEXT;
        }
        inChunk_ = false;
        const size_t count = std::min<size_t>(*length, text_.size());
        std::wmemcpy(buffer, text_.data(), count);
        *length = static_cast<ULONG>(count);
        return FILTER_S_LAST_TEXT;
    }
    IFACEMETHODIMP GetValue(PROPVARIANT** value) override
    {
        *value = nullptr;
        return FILTER_E_NO_VALUES;
    }
    IFACEMETHODIMP BindRegion(FILTERREGION, REFIID, void**) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetClassID(CLSID* clsid) override
    {
        *clsid = kTestFilterClsid;
        return S_OK;
    }
    IFACEMETHODIMP IsDirty() override { return S_FALSE; }
    IFACEMETHODIMP Load(IStream* stream) override
    {
        char buffer[4096];
        ULONG read = 0;
        if (FAILED(stream->Read(buffer, sizeof(buffer), &read))) {
            return E_FAIL;
        }
        text_ = Utf8ToWide(std::string_view(buffer, read));
        return S_OK;
    }
    IFACEMETHODIMP Save(IStream*, BOOL) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override
    {
        static const QITAB kInterfaces[] = {QITABENT(ContentFilter, IFilter),
                                            QITABENT(ContentFilter, IPersistStream),
                                            QITABENTMULTI(ContentFilter, IPersist, IPersistStream),
                                            {}};
        return QISearch(this, kInterfaces, riid, ppv);
    }

private:
    std::wstring text_;
    bool given_ = false;
    bool inChunk_ = false;
};

HRESULT MakeScripted(std::vector<Chunk> chunks, Behaviour behaviour, IFilter** filter)
{
    return InitializeAndQuery(new (std::nothrow) ScriptedFilter(std::move(chunks), behaviour), IID_IFilter,
                              reinterpret_cast<void**>(filter));
}

Chunk Value(const PROPERTYKEY& key, std::wstring text)
{
    Chunk chunk;
    chunk.key = key;
    chunk.text = std::move(text);
    return chunk;
}

HRESULT LoadFromMemory(IFilter* filter, const std::string& bytes)
{
    ComPtr<IPersistStream> persist;
    HRESULT hr = filter->QueryInterface(IID_IPersistStream, persist.put_void());
    if (FAILED(hr)) {
        return hr;
    }
    ComPtr<IStream> stream;
    stream.Attach(SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
    return stream ? persist->Load(stream.get()) : E_OUTOFMEMORY;
}

// ---------------------------------------------------------------- accessor

class Accessor final : public ComObject<IUrlAccessor2> {
public:
    Accessor(std::wstring url, IProtocolHandlerSite* site) : url_(std::move(url)), parsed_(ParseUrl(url_)), site_(site)
    {
    }

    IFACEMETHODIMP AddRequestParameter(PROPSPEC*, PROPVARIANT*) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetDocFormat(WCHAR[], DWORD, DWORD*) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetCLSID(CLSID*) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetHost(WCHAR[], DWORD, DWORD*) override { return E_NOTIMPL; }
    IFACEMETHODIMP IsDirectory() override { return IsContainer(parsed_) ? S_OK : S_FALSE; }
    IFACEMETHODIMP GetSize(ULONGLONG* size) override
    {
        *size = IsContainer(parsed_) ? 0 : 100;
        return S_OK;
    }
    IFACEMETHODIMP GetLastModified(FILETIME* time) override
    {
        *time = ToFileTime(LeafModified());
        return IsContainer(parsed_) || parsed_.untimed ? E_NOTIMPL : S_OK;
    }
    IFACEMETHODIMP GetFileName(WCHAR name[], DWORD size, DWORD* length) override
    {
        const std::wstring leaf = Leaf();
        if (leaf.find(L'.') == std::wstring::npos) {
            return E_NOTIMPL;
        }
        if (!CopyBounded(name, static_cast<int>(size), leaf.c_str())) {
            return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
        }
        *length = static_cast<DWORD>(leaf.size());
        return S_OK;
    }
    IFACEMETHODIMP GetSecurityDescriptor(BYTE*, DWORD, DWORD*) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetRedirectedURL(WCHAR[], DWORD, DWORD*) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetSecurityProvider(CLSID*) override { return E_NOTIMPL; }
    IFACEMETHODIMP BindToStream(IStream** stream) override
    {
        *stream = nullptr;
        std::string bytes;
        if (Leaf() == L"text.txt") {
            const std::wstring text = L"plain stream words";
            bytes = "\xFF\xFE";
            bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
        } else if (Leaf() == L"text8.txt") {
            bytes = "caf\xC3\xA9 eight";
        } else {
            return E_NOTIMPL;
        }
        *stream = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
        return *stream ? S_OK : E_OUTOFMEMORY;
    }
    IFACEMETHODIMP BindToFilter(IFilter** filter) override
    {
        *filter = nullptr;
        if (IsContainer(parsed_)) {
            return MakeScripted(ContainerChunks(), Behaviour::Normal, filter);
        }
        return parsed_.special ? SpecialFilter(filter) : MakeScripted(LeafChunks(), Behaviour::Normal, filter);
    }
    IFACEMETHODIMP GetDisplayUrl(WCHAR url[], DWORD size, DWORD* length) override
    {
        if (!CopyBounded(url, static_cast<int>(size), url_.c_str())) {
            return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
        }
        *length = static_cast<DWORD>(url_.size());
        return S_OK;
    }
    IFACEMETHODIMP IsDocument() override { return IsContainer(parsed_) ? S_FALSE : S_OK; }
    IFACEMETHODIMP GetCodePage(WCHAR[], DWORD, DWORD*) override { return E_NOTIMPL; }

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override
    {
        static const QITAB kInterfaces[] = {
            QITABENTMULTI(Accessor, IUrlAccessor, IUrlAccessor2), QITABENT(Accessor, IUrlAccessor2), {}};
        return QISearch(this, kInterfaces, riid, ppv);
    }

private:
    std::wstring Leaf() const { return parsed_.segments.empty() ? std::wstring() : parsed_.segments.back(); }

    std::vector<Chunk> ContainerChunks() const
    {
        std::vector<Chunk> chunks{Value(kName, L"Container " + url_)};
        std::vector<std::wstring> names;
        if (parsed_.special) {
            names = {L"ok",   L"text.txt", L"text8.txt", L"note.rtf", L"doc.brwt", L"missing.zzz",
                     L"fail", L"garbage",  L"hang",      L"crash",    L"after"};
        } else {
            for (unsigned i = 1; i <= parsed_.fanout; ++i) {
                names.push_back(FormatText(L"n%u", i));
            }
        }
        const bool childrenAreLeaves = parsed_.special || parsed_.segments.size() + 1 == parsed_.depth;
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        for (const std::wstring& name : names) {
            Chunk link;
            link.key = kLink;
            link.isLink = true;
            link.text = parsed_.base + L"/" + name;
            link.time = childrenAreLeaves
                            ? LeafModified()
                            : ((static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
            chunks.push_back(link);
        }
        return chunks;
    }

    std::vector<Chunk> LeafChunks() const
    {
        const unsigned ordinal = Ordinal(parsed_);
        std::wstring path;
        for (const std::wstring& segment : parsed_.segments) {
            path += (path.empty() ? L"" : L" ") + segment;
        }
        std::vector<Chunk> chunks{Value(kName, L"Leaf " + path), Value(kAuthor, FormatText(L"Author%u", ordinal % 3)),
                                  Value(kKind, ordinal % 2 ? L"email" : L"document"), Value(kItemType, L"BRW/Test")};
        Chunk date;
        date.key = kDate;
        date.isFileTime = true;
        date.time = kBaseTime + ordinal * kDay;
        chunks.push_back(date);
        Chunk text;
        text.isText = true;
        text.key = kContents;
        text.text = FormatText(L"alpha %s gen%llu", path.c_str(), Generation());
        chunks.push_back(text);
        return chunks;
    }

    HRESULT SiteFilter(const wchar_t* extension, IFilter** filter) const
    {
        if (!site_) {
            return E_UNEXPECTED;
        }
        const HRESULT hr = site_->GetFilter(nullptr, nullptr, extension, filter);
        LogCall(FormatText(L"GetFilter %s 0x%08X", extension, static_cast<unsigned>(hr)));
        return hr;
    }

    HRESULT SpecialFilter(IFilter** filter) const
    {
        const std::wstring leaf = Leaf();
        std::vector<Chunk> chunks{Value(kName, L"Special " + leaf)};
        if (leaf == L"text.txt" || leaf == L"text8.txt") {
            return E_NOTIMPL; // read through the stream
        }
        if (leaf == L"doc.brwt" || leaf == L"note.rtf" || leaf == L"missing.zzz") {
            const std::wstring extension = leaf.substr(leaf.find(L'.') + 1);
            HRESULT hr = SiteFilter(extension == L"rtf" ? L"RTF" : extension.c_str(), filter);
            if (SUCCEEDED(hr)) {
                hr = LoadFromMemory(*filter, extension == L"rtf"
                                                 ? std::string("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Hello "
                                                               "\\b rich\\b0  text\\par caf\\'e9}")
                                                 : std::string("registered filter words"));
            }
            if (FAILED(hr) && *filter) {
                (*filter)->Release();
                *filter = nullptr;
            }
            return hr;
        }
        Chunk text;
        text.isText = true;
        text.key = kContents;
        text.text = L"special " + leaf + L" words";
        chunks.push_back(text);
        Behaviour behaviour = Behaviour::Normal;
        if (leaf == L"fail") {
            behaviour = Behaviour::FailAfterFirst;
        } else if (leaf == L"garbage") {
            behaviour = Behaviour::Garbage;
        } else if (leaf == L"hang") {
            behaviour = Behaviour::Hang;
        } else if (leaf == L"crash") {
            behaviour = Behaviour::Crash;
        }
        return MakeScripted(std::move(chunks), behaviour, filter);
    }

    std::wstring url_;
    TestUrl parsed_;
    ComPtr<IProtocolHandlerSite> site_;
};

// ---------------------------------------------------------------- handler

class Protocol final : public ComObject<ISearchProtocol> {
public:
    IFACEMETHODIMP Init(TIMEOUT_INFO* timeouts, IProtocolHandlerSite* site, PROXY_INFO*) override
    {
        LogCall(FormatText(L"Init %lu", timeouts ? timeouts->dwSize : 0));
        site_ = ComPtr<IProtocolHandlerSite>(site);
        return S_OK;
    }
    IFACEMETHODIMP CreateAccessor(LPCWSTR url, AUTHENTICATION_INFO*, INCREMENTAL_ACCESS_INFO*, ITEM_INFO*,
                                  IUrlAccessor** accessor) override
    {
        *accessor = nullptr;
        LogCall(std::wstring(L"CreateAccessor ") + url);
        if (!ParseUrl(url).valid) {
            return PRTH_E_OBJ_NOT_FOUND;
        }
        return InitializeAndQuery(new (std::nothrow) Accessor(url, site_.get()), IID_IUrlAccessor,
                                  reinterpret_cast<void**>(accessor));
    }
    IFACEMETHODIMP CloseAccessor(IUrlAccessor*) override
    {
        LogCall(L"CloseAccessor");
        return S_OK;
    }
    IFACEMETHODIMP ShutDown() override
    {
        LogCall(L"ShutDown");
        site_.reset();
        return S_OK;
    }

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override
    {
        static const QITAB kInterfaces[] = {QITABENT(Protocol, ISearchProtocol), {}};
        return QISearch(this, kInterfaces, riid, ppv);
    }

private:
    ComPtr<IProtocolHandlerSite> site_;
};

const ClassEntry kClasses[] = {
    {&kTestHandlerClsid, CreateInstance<Protocol>},
    {&kTestFilterClsid, CreateInstance<ContentFilter>},
};

std::wstring Braced(const GUID& guid)
{
    return GuidToString(guid);
}

RegistryScript Script()
{
    const std::wstring handler = L"CLSID\\" + Braced(kTestHandlerClsid);
    const std::wstring filter = L"CLSID\\" + Braced(kTestFilterClsid);
    const std::wstring classes = L"Software\\Classes\\";
    return {
        {HKEY_CLASSES_ROOT, handler, KeyMode::ForceRemove, {ScriptValue::Default(L"Test protocol handler")}},
        {HKEY_CLASSES_ROOT,
         handler + L"\\InprocServer32",
         KeyMode::Normal,
         {ScriptValue::Default(L"%MODULE%"), ScriptValue::String(L"ThreadingModel", L"Both")}},
        {HKEY_CLASSES_ROOT, kTestHandlerProgId, KeyMode::ForceRemove, {ScriptValue::Default(L"Test protocol handler")}},
        {HKEY_CLASSES_ROOT,
         std::wstring(kTestHandlerProgId) + L"\\CLSID",
         KeyMode::Normal,
         {ScriptValue::Default(Braced(kTestHandlerClsid))}},
        {HKEY_LOCAL_MACHINE,
         L"Software\\Microsoft\\Windows Search\\ProtocolHandlers",
         KeyMode::NoRemove,
         {ScriptValue::String(kTestScheme, kTestHandlerProgId)}},
        {HKEY_CLASSES_ROOT, filter, KeyMode::ForceRemove, {ScriptValue::Default(L"Test filter")}},
        {HKEY_CLASSES_ROOT,
         filter + L"\\InprocServer32",
         KeyMode::Normal,
         {ScriptValue::Default(L"%MODULE%"), ScriptValue::String(L"ThreadingModel", L"Both")}},
        {HKEY_LOCAL_MACHINE,
         classes + L"." + kTestExtension + L"\\PersistentHandler",
         KeyMode::ForceRemove,
         {ScriptValue::Default(Braced(kTestPersistentHandler))}},
        {HKEY_LOCAL_MACHINE,
         classes + L"CLSID\\" + Braced(kTestPersistentHandler) +
             L"\\PersistentAddinsRegistered\\{89BCB740-6119-101A-BCB7-00DD010655AF}",
         KeyMode::ForceRemove,
         {ScriptValue::Default(Braced(kTestFilterClsid))}},
    };
}

HRESULT Apply(bool install)
{
    wchar_t path[MAX_PATH] = {};
    if (!GetModuleFileNameW(g_module, path, MAX_PATH)) {
        return E_FAIL;
    }
    const Registrar registrar(RegistrationScope::Machine, {{L"MODULE", path}});
    return install ? registrar.Register(Script()) : registrar.Unregister(Script());
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    return GetClassObjectFromTable(kClasses, &clsid, &riid, ppv);
}

STDAPI DllCanUnloadNow()
{
    return CanUnloadModule();
}

STDAPI DllRegisterServer()
{
    return Apply(true);
}

STDAPI DllUnregisterServer()
{
    return Apply(false);
}
