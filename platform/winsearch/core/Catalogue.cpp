#include "platform/winsearch/core/Catalogue.h"

#include "platform/winsearch/core/CrawlScope.h"
#include "platform/winsearch/core/RecordCodec.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <iterator>
#include <unordered_set>

namespace brw::winsearch {

namespace {

constexpr std::uint32_t kRecordMagic = 0x43575242; // "BRWC"
constexpr std::uint8_t kPutRecord = 1;
constexpr std::uint8_t kRemoveRecord = 2;
constexpr std::uint64_t kMaxCatalogueBytes = 1ULL << 31;
constexpr std::uint32_t kMaxRecordBytes = 96 * 1024 * 1024;

HRESULT LastError()
{
    const DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

// The bytes from `from` to the end; S_FALSE with none when the file is
// shorter than that.
HRESULT ReadWhole(HANDLE file, std::string* bytes, std::uint64_t from = 0)
{
    bytes->clear();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        return LastError();
    }
    if (static_cast<std::uint64_t>(size.QuadPart) > kMaxCatalogueBytes) {
        return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
    }
    if (static_cast<std::uint64_t>(size.QuadPart) < from) {
        return S_FALSE;
    }
    LARGE_INTEGER start{};
    start.QuadPart = static_cast<LONGLONG>(from);
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
        return LastError();
    }
    bytes->resize(static_cast<size_t>(size.QuadPart - start.QuadPart));
    size_t done = 0;
    while (done < bytes->size()) {
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes->size() - done, 1 << 24));
        if (!ReadFile(file, bytes->data() + done, want, &read, nullptr)) {
            return LastError();
        }
        if (read == 0) {
            break; // shorter than reported: a writer is truncating it
        }
        done += read;
    }
    bytes->resize(done);
    return S_OK;
}

bool EqualsNoCase(const std::wstring& a, const std::wstring& b)
{
    return a.size() == b.size() && CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                                        static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool ContainsNoCase(const std::wstring& text, const std::wstring& part)
{
    if (part.size() > text.size()) {
        return false;
    }
    for (size_t i = 0; i + part.size() <= text.size(); ++i) {
        if (CompareStringOrdinal(text.data() + i, static_cast<int>(part.size()), part.data(),
                                 static_cast<int>(part.size()), TRUE) == CSTR_EQUAL) {
            return true;
        }
    }
    return false;
}

bool AnyText(const PropertyValue* value, const std::wstring& wanted,
             bool (*compare)(const std::wstring&, const std::wstring&))
{
    if (!value) {
        return false;
    }
    if (value->type == ValueType::Text) {
        return compare(value->text, wanted);
    }
    if (value->type == ValueType::TextList) {
        return std::any_of(value->texts.begin(), value->texts.end(),
                           [&](const std::wstring& text) { return compare(text, wanted); });
    }
    return false;
}

} // namespace

std::uint64_t QueryDateOf(const ItemRecord& item)
{
    const PropertyValue* date = item.Find(kKeyDateModified);
    if (date && date->type == ValueType::FileTime) {
        return static_cast<std::uint64_t>(date->number);
    }
    return item.lastModified;
}

namespace {

// The file opened for reading beside its writer; S_FALSE and no file when
// it is absent.
HRESULT OpenCatalogueFile(const std::wstring& path, FileHandle* file)
{
    file->reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (*file) {
        return S_OK;
    }
    const DWORD error = GetLastError();
    return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? S_FALSE : HRESULT_FROM_WIN32(error);
}

// The file's bytes; S_FALSE and none for an absent file.
HRESULT ReadCatalogueFile(const std::wstring& path, std::string* bytes)
{
    bytes->clear();
    FileHandle file;
    const HRESULT hr = OpenCatalogueFile(path, &file);
    return hr == S_OK ? ReadWhole(file.get(), bytes) : hr;
}

// Hands each whole record's payload to apply, in order, until one is
// damaged or refused; the bytes of the records before it.
template <typename Apply>
size_t WalkRecords(const std::string& bytes, Apply apply)
{
    size_t position = 0;
    while (bytes.size() - position >= 12) {
        std::uint32_t magic = 0;
        std::uint32_t length = 0;
        std::memcpy(&magic, bytes.data() + position, 4);
        std::memcpy(&length, bytes.data() + position + 4, 4);
        if (magic != kRecordMagic || length > kMaxRecordBytes || bytes.size() - position - 12 < length) {
            break;
        }
        const char* payload = bytes.data() + position + 8;
        std::uint32_t check = 0;
        std::memcpy(&check, payload + length, 4);
        if (check != Checksum(payload, length) || !apply(payload, length)) {
            break;
        }
        position += 12 + length;
    }
    return position;
}

} // namespace

HRESULT Catalogue::Load(const std::wstring& path)
{
    slots_.clear();
    byUrl_.clear();
    words_.Clear();
    validBytes_ = 0;
    std::string bytes;
    const HRESULT hr = ReadCatalogueFile(path, &bytes);
    if (hr != S_OK) {
        return hr;
    }
    validBytes_ = WalkRecords(bytes, [this](const char* payload, size_t size) { return ApplyRecord(payload, size); });
    return S_OK;
}

namespace {

// Applies a record to the URLs a count holds: a put adds one, a removal
// takes the URL and everything below it.
bool CountRecord(std::unordered_set<std::wstring>& urls, const char* payload, size_t size)
{
    if (size < 1 || (payload[0] != kPutRecord && payload[0] != kRemoveRecord)) {
        return false;
    }
    std::wstring url;
    ByteReader reader(payload + 1, size - 1);
    if (!reader.Text(&url)) {
        return false;
    }
    if (payload[0] == kPutRecord) {
        urls.insert(std::move(url));
        return true;
    }
    for (auto it = urls.begin(); it != urls.end();) {
        it = IsSameOrBelow(url, *it) ? urls.erase(it) : std::next(it);
    }
    return true;
}

} // namespace

// What Load would hold, without decoding the items or indexing their words:
// the URLs alone.
HRESULT CountCatalogueItems(const std::wstring& path, size_t* count)
{
    CatalogueCounter counter;
    return counter.Count(path, count);
}

void CatalogueCounter::StartOver(const std::wstring& path)
{
    path_ = path;
    consumed_ = 0;
    urls_.clear();
}

HRESULT CatalogueCounter::Count(const std::wstring& path, size_t* count)
{
    *count = 0;
    if (path != path_) {
        StartOver(path);
    }
    FileHandle file;
    HRESULT hr = OpenCatalogueFile(path, &file);
    if (hr != S_OK) {
        StartOver(path);
        return hr;
    }
    std::string bytes;
    hr = ReadWhole(file.get(), &bytes, consumed_);
    if (hr == S_FALSE) {
        StartOver(path); // cut back: its records may differ now
        hr = ReadWhole(file.get(), &bytes);
    }
    if (FAILED(hr)) {
        return hr;
    }
    consumed_ +=
        WalkRecords(bytes, [this](const char* payload, size_t size) { return CountRecord(urls_, payload, size); });
    *count = urls_.size();
    return S_OK;
}

HRESULT Catalogue::OpenForWriting(const std::wstring& path)
{
    HRESULT hr = Load(path);
    if (FAILED(hr)) {
        return hr;
    }
    file_.reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) {
        return LastError();
    }
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(validBytes_);
    if (!SetFilePointerEx(file_.get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file_.get())) {
        hr = LastError();
        file_.reset();
        return hr;
    }
    return S_OK;
}

HRESULT Catalogue::Append(std::uint8_t operation, const std::string& payload)
{
    if (!file_) {
        return E_UNEXPECTED;
    }
    if (payload.size() + 1 > kMaxRecordBytes) {
        return E_INVALIDARG;
    }
    ByteWriter frame;
    frame.U32(kRecordMagic);
    frame.U32(static_cast<std::uint32_t>(payload.size() + 1));
    std::string body(1, static_cast<char>(operation));
    body += payload;
    frame.Bytes() += body;
    frame.U32(Checksum(body.data(), body.size()));
    // One WriteFile per record: the record reaches the file system whole or
    // not at all when this process dies.
    DWORD written = 0;
    const std::string& bytes = frame.Bytes();
    if (!WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        return LastError();
    }
    validBytes_ += bytes.size();
    return S_OK;
}

bool Catalogue::ApplyRecord(const char* payload, size_t size)
{
    if (size < 1) {
        return false;
    }
    ByteReader reader(payload + 1, size - 1);
    if (payload[0] == kPutRecord) {
        ItemRecord record;
        if (!DecodeRecord(&reader, &record) || !reader.AtEnd()) {
            return false;
        }
        Insert(std::move(record));
        return true;
    }
    if (payload[0] == kRemoveRecord) {
        std::wstring url;
        if (!reader.Text(&url) || !reader.AtEnd()) {
            return false;
        }
        for (const std::wstring& below : UrlsBelow(url)) {
            Erase(below);
        }
        return true;
    }
    return false;
}

void Catalogue::Insert(ItemRecord record)
{
    Erase(record.url);
    const std::uint32_t slot = static_cast<std::uint32_t>(slots_.size());
    words_.Add(slot, record.text);
    for (const PropertyValue& value : record.properties) {
        if (value.type == ValueType::Text) {
            words_.Add(slot, value.text);
        } else if (value.type == ValueType::TextList) {
            for (const std::wstring& text : value.texts) {
                words_.Add(slot, text);
            }
        }
    }
    byUrl_[record.url] = slot;
    slots_.push_back(std::make_unique<ItemRecord>(std::move(record)));
}

void Catalogue::Erase(const std::wstring& url)
{
    const auto found = byUrl_.find(url);
    if (found != byUrl_.end()) {
        slots_[found->second].reset();
        byUrl_.erase(found);
    }
}

HRESULT Catalogue::Put(const ItemRecord& record)
{
    ByteWriter writer;
    EncodeRecord(record, &writer);
    const HRESULT hr = Append(kPutRecord, writer.Bytes());
    if (SUCCEEDED(hr)) {
        Insert(record);
    }
    return hr;
}

HRESULT Catalogue::RemoveBelow(const std::wstring& url)
{
    const std::vector<std::wstring> urls = UrlsBelow(url);
    if (urls.empty()) {
        return S_FALSE;
    }
    ByteWriter writer;
    writer.Text(url);
    const HRESULT hr = Append(kRemoveRecord, writer.Bytes());
    if (SUCCEEDED(hr)) {
        for (const std::wstring& below : urls) {
            Erase(below);
        }
    }
    return hr;
}

const ItemRecord* Catalogue::Find(const std::wstring& url) const
{
    const auto found = byUrl_.find(url);
    return found == byUrl_.end() ? nullptr : slots_[found->second].get();
}

std::vector<std::wstring> Catalogue::UrlsBelow(const std::wstring& url) const
{
    std::vector<std::wstring> urls;
    for (const auto& entry : byUrl_) {
        if (IsSameOrBelow(url, entry.first)) {
            urls.push_back(entry.first);
        }
    }
    return urls;
}

bool MatchesFilters(const ItemRecord& item, const QueryRequest& request)
{
    if (!request.kind.empty() && !AnyText(item.Find(kKeyKind), request.kind, EqualsNoCase)) {
        return false;
    }
    if (!request.author.empty() && !AnyText(item.Find(kKeyAuthor), request.author, ContainsNoCase)) {
        return false;
    }
    if (!request.itemType.empty() && !AnyText(item.Find(kKeyItemType), request.itemType, EqualsNoCase)) {
        return false;
    }
    const std::uint64_t date = QueryDateOf(item);
    if ((request.fromDate && date < request.fromDate) || (request.toDate && date > request.toDate)) {
        return false;
    }
    return true;
}

std::vector<const ItemRecord*> Catalogue::Query(const QueryRequest& request) const
{
    std::vector<const ItemRecord*> found;
    auto consider = [&](std::uint32_t slot) {
        const ItemRecord* item = slots_[slot].get();
        if (item && MatchesFilters(*item, request)) {
            found.push_back(item);
        }
    };
    if (request.words.empty()) {
        for (std::uint32_t slot = 0; slot < slots_.size(); ++slot) {
            consider(slot);
        }
    } else {
        std::vector<std::wstring> words;
        for (const std::wstring& word : request.words) {
            for (std::wstring& part : SplitWords(word)) {
                words.push_back(std::move(part));
            }
        }
        if (words.empty()) {
            return found;
        }
        for (std::uint32_t slot : words_.Match(words)) {
            consider(slot);
        }
    }
    const size_t keep = std::min(found.size(), request.maxResults);
    std::partial_sort(found.begin(), found.begin() + keep, found.end(), [](const ItemRecord* a, const ItemRecord* b) {
        const std::uint64_t da = QueryDateOf(*a);
        const std::uint64_t db = QueryDateOf(*b);
        return da != db ? da > db : a->url < b->url;
    });
    found.resize(keep);
    return found;
}

} // namespace brw::winsearch
