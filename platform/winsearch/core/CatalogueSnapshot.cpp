#include "platform/winsearch/core/CatalogueSnapshot.h"

#include "platform/winsearch/core/StateFile.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace brw::winsearch {

namespace {

constexpr std::uint32_t kSnapshotMagic = 0x53575242; // "BRWS"
constexpr std::uint32_t kSnapshotVersion = 1;
constexpr int kFields = 5; // URL, name, author, kind, item type

struct StringRef {
    std::uint32_t offset;
    std::uint32_t length;
};

std::wstring NameOf(const ItemRecord& item)
{
    for (const PROPERTYKEY* key : {&kKeyItemNameDisplay, &kKeyTitle, &kKeyItemName}) {
        std::wstring name = item.TextOf(*key);
        if (!name.empty()) {
            return name;
        }
    }
    return std::wstring();
}

void AddText(ItemRecord* record, const PROPERTYKEY& key, std::wstring_view text)
{
    if (!text.empty()) {
        PropertyValue value;
        value.key = key;
        value.text.assign(text);
        record->properties.push_back(std::move(value));
    }
}

} // namespace

struct CatalogueSnapshot::Header {
    std::uint32_t magic;
    std::uint32_t version;
    std::uint64_t coveredBytes;
    std::uint32_t itemCount;
    std::uint32_t wordCount;
    std::uint32_t postingCount;
    std::uint32_t stringUnits;
};

struct CatalogueSnapshot::ItemEntry {
    std::uint64_t date;
    StringRef fields[kFields];
};

struct CatalogueSnapshot::WordEntry {
    StringRef text;
    std::uint32_t firstPosting;
    std::uint32_t postingCount;
};

HRESULT WriteSnapshot(const Catalogue& catalogue, const std::wstring& path)
{
    std::vector<std::uint32_t> ordinals(catalogue.SlotCount(), UINT32_MAX);
    std::wstring strings;
    std::string items;
    std::uint32_t count = 0;
    auto reference = [&strings](const std::wstring& text) {
        const StringRef ref{static_cast<std::uint32_t>(strings.size()), static_cast<std::uint32_t>(text.size())};
        strings += text;
        return ref;
    };
    for (std::uint32_t slot = 0; slot < catalogue.SlotCount(); ++slot) {
        const ItemRecord* item = catalogue.Slot(slot);
        if (!item) {
            continue;
        }
        ordinals[slot] = count++;
        const std::uint64_t date = QueryDateOf(*item);
        const StringRef fields[kFields] = {reference(item->url), reference(NameOf(*item)),
                                           reference(item->TextOf(kKeyAuthor)), reference(item->TextOf(kKeyKind)),
                                           reference(item->TextOf(kKeyItemType))};
        items.append(reinterpret_cast<const char*>(&date), sizeof(date));
        items.append(reinterpret_cast<const char*>(fields), sizeof(fields));
    }
    struct Word {
        std::wstring text;
        std::vector<std::uint32_t> items;
    };
    std::vector<Word> words;
    catalogue.Words().ForEach([&](const std::wstring& text, const std::vector<std::uint32_t>& slots) {
        Word word{text, {}};
        for (std::uint32_t slot : slots) {
            if (slot < ordinals.size() && ordinals[slot] != UINT32_MAX) {
                word.items.push_back(ordinals[slot]);
            }
        }
        if (!word.items.empty()) {
            words.push_back(std::move(word));
        }
    });
    std::sort(words.begin(), words.end(), [](const Word& a, const Word& b) { return a.text < b.text; });
    std::string wordTable;
    std::string postings;
    std::uint32_t postingCount = 0;
    for (const Word& word : words) {
        const StringRef text = reference(word.text);
        const std::uint32_t entry[4] = {text.offset, text.length, postingCount,
                                        static_cast<std::uint32_t>(word.items.size())};
        wordTable.append(reinterpret_cast<const char*>(entry), sizeof(entry));
        postings.append(reinterpret_cast<const char*>(word.items.data()), word.items.size() * sizeof(std::uint32_t));
        postingCount += static_cast<std::uint32_t>(word.items.size());
    }
    const std::uint32_t header[8] = {kSnapshotMagic,
                                     kSnapshotVersion,
                                     static_cast<std::uint32_t>(catalogue.ValidBytes()),
                                     static_cast<std::uint32_t>(catalogue.ValidBytes() >> 32),
                                     count,
                                     static_cast<std::uint32_t>(words.size()),
                                     postingCount,
                                     static_cast<std::uint32_t>(strings.size())};
    std::string bytes(reinterpret_cast<const char*>(header), sizeof(header));
    bytes += items;
    bytes += wordTable;
    bytes += postings;
    bytes.append(reinterpret_cast<const char*>(strings.data()), strings.size() * sizeof(wchar_t));

    const std::wstring temporary = path + L".new";
    {
        FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        if (!file || !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size()) {
            const HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
            file.reset();
            DeleteFileW(temporary.c_str());
            return FAILED(hr) ? hr : E_FAIL;
        }
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
        DeleteFileW(temporary.c_str());
        return hr;
    }
    return S_OK;
}

CatalogueSnapshot::~CatalogueSnapshot()
{
    if (view_) {
        UnmapViewOfFile(view_);
    }
}

HRESULT CatalogueSnapshot::Open(const std::wstring& path, std::uint64_t catalogueBytes)
{
    file_.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file_ || !GetFileSizeEx(file_.get(), &size) || static_cast<std::uint64_t>(size.QuadPart) < sizeof(Header) ||
        size.QuadPart > (1LL << 31)) {
        return S_FALSE;
    }
    mapping_.reset(CreateFileMappingW(file_.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    view_ = mapping_ ? static_cast<const char*>(MapViewOfFile(mapping_.get(), FILE_MAP_READ, 0, 0, 0)) : nullptr;
    if (!view_) {
        return S_FALSE;
    }
    header_ = reinterpret_cast<const Header*>(view_);
    // Sizes in 64 bits, so that no count in the file can wrap the sum.
    const std::uint64_t expected = sizeof(Header) + std::uint64_t{header_->itemCount} * sizeof(ItemEntry) +
                                   std::uint64_t{header_->wordCount} * sizeof(WordEntry) +
                                   std::uint64_t{header_->postingCount} * sizeof(std::uint32_t) +
                                   std::uint64_t{header_->stringUnits} * sizeof(wchar_t);
    if (header_->magic != kSnapshotMagic || header_->version != kSnapshotVersion ||
        expected != static_cast<std::uint64_t>(size.QuadPart) || header_->coveredBytes != catalogueBytes) {
        return S_FALSE;
    }
    items_ = reinterpret_cast<const ItemEntry*>(view_ + sizeof(Header));
    words_ = reinterpret_cast<const WordEntry*>(items_ + header_->itemCount);
    postings_ = reinterpret_cast<const std::uint32_t*>(words_ + header_->wordCount);
    strings_ = reinterpret_cast<const wchar_t*>(postings_ + header_->postingCount);
    return S_OK;
}

std::wstring_view CatalogueSnapshot::Text(std::uint32_t offset, std::uint32_t length) const
{
    if (offset > header_->stringUnits || length > header_->stringUnits - offset) {
        return std::wstring_view(); // damage: shown as empty, never read beyond
    }
    return std::wstring_view(strings_ + offset, length);
}

bool CatalogueSnapshot::FindWord(const std::wstring& word, const std::uint32_t** begin, const std::uint32_t** end) const
{
    std::uint32_t low = 0;
    std::uint32_t high = header_->wordCount;
    while (low < high) {
        const std::uint32_t middle = low + (high - low) / 2;
        const WordEntry& entry = words_[middle];
        const int order = Text(entry.text.offset, entry.text.length).compare(word);
        if (order == 0) {
            if (entry.firstPosting > header_->postingCount ||
                entry.postingCount > header_->postingCount - entry.firstPosting) {
                return false;
            }
            *begin = postings_ + entry.firstPosting;
            *end = *begin + entry.postingCount;
            return true;
        }
        if (order < 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return false;
}

ItemRecord CatalogueSnapshot::Record(std::uint32_t ordinal) const
{
    const ItemEntry& entry = items_[ordinal];
    ItemRecord record;
    record.url.assign(Text(entry.fields[0].offset, entry.fields[0].length));
    AddText(&record, kKeyItemNameDisplay, Text(entry.fields[1].offset, entry.fields[1].length));
    AddText(&record, kKeyAuthor, Text(entry.fields[2].offset, entry.fields[2].length));
    AddText(&record, kKeyKind, Text(entry.fields[3].offset, entry.fields[3].length));
    AddText(&record, kKeyItemType, Text(entry.fields[4].offset, entry.fields[4].length));
    PropertyValue date;
    date.key = kKeyDateModified;
    date.type = ValueType::FileTime;
    date.number = static_cast<std::int64_t>(entry.date);
    record.properties.push_back(date);
    return record;
}

std::vector<ItemRecord> CatalogueSnapshot::Query(const QueryRequest& request) const
{
    std::vector<std::uint32_t> candidates;
    if (request.words.empty()) {
        candidates.resize(header_->itemCount);
        for (std::uint32_t i = 0; i < header_->itemCount; ++i) {
            candidates[i] = i;
        }
    } else {
        std::vector<std::wstring> words;
        for (const std::wstring& word : request.words) {
            for (std::wstring& part : SplitWords(word)) {
                words.push_back(std::move(part));
            }
        }
        bool first = true;
        for (const std::wstring& word : words) {
            const std::uint32_t* begin = nullptr;
            const std::uint32_t* end = nullptr;
            if (!FindWord(word, &begin, &end)) {
                return {};
            }
            std::vector<std::uint32_t> next;
            if (first) {
                next.assign(begin, end);
            } else {
                std::set_intersection(candidates.begin(), candidates.end(), begin, end, std::back_inserter(next));
            }
            candidates.swap(next);
            first = false;
        }
    }
    struct Hit {
        std::uint64_t date;
        std::uint32_t ordinal;
    };
    std::vector<Hit> hits;
    const bool filtered = !request.kind.empty() || !request.author.empty() || !request.itemType.empty() ||
                          request.fromDate || request.toDate;
    for (std::uint32_t ordinal : candidates) {
        if (ordinal >= header_->itemCount) {
            continue;
        }
        if (filtered && !MatchesFilters(Record(ordinal), request)) {
            continue;
        }
        hits.push_back({items_[ordinal].date, ordinal});
    }
    const size_t keep = std::min(hits.size(), request.maxResults);
    std::partial_sort(hits.begin(), hits.begin() + keep, hits.end(), [this](const Hit& a, const Hit& b) {
        if (a.date != b.date) {
            return a.date > b.date;
        }
        const ItemEntry& ea = items_[a.ordinal];
        const ItemEntry& eb = items_[b.ordinal];
        return Text(ea.fields[0].offset, ea.fields[0].length) < Text(eb.fields[0].offset, eb.fields[0].length);
    });
    std::vector<ItemRecord> results;
    for (size_t i = 0; i < keep; ++i) {
        results.push_back(Record(hits[i].ordinal));
    }
    return results;
}

} // namespace brw::winsearch
