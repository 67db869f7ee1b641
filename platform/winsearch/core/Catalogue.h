// The catalogue store: one file of records appended in order (an item put,
// an item removed with everything below it), read back into memory with its
// word index. Each record carries its length and a checksum, so a process
// that dies mid-write leaves one damaged record at the end, which the next
// writer cuts off: a crash costs at most the item being written.
#pragma once

#include "common/Handles.h"
#include "platform/winsearch/core/ItemRecord.h"
#include "platform/winsearch/core/WordIndex.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace brw::winsearch {

struct QueryRequest {
    std::vector<std::wstring> words; // all must match; none matches every item
    std::wstring kind;               // System.Kind, compared without case
    std::wstring author;             // part of System.Author, without case
    std::wstring itemType;           // System.ItemType, compared without case
    std::uint64_t fromDate = 0;      // System.DateModified range, inclusive
    std::uint64_t toDate = 0;        // 0: open
    size_t maxResults = 100;
};

// What a query's filters (not its words) ask of an item.
bool MatchesFilters(const ItemRecord& item, const QueryRequest& request);
// The date a query sorts and filters by: System.DateModified, else the
// item's last modification.
std::uint64_t QueryDateOf(const ItemRecord& item);

// The number of items a Load of path would hold, read from the records'
// URLs alone: what counting asks for, without the cost of a Load.
HRESULT CountCatalogueItems(const std::wstring& path, size_t* count);

// The same count for a file asked about again and again while it grows:
// each call reads only the records appended since the one before. Another
// path, or a file shorter than what was read, starts again from the top.
class CatalogueCounter {
public:
    HRESULT Count(const std::wstring& path, size_t* count);

private:
    void StartOver(const std::wstring& path);

    std::wstring path_;
    std::uint64_t consumed_ = 0; // bytes of whole records counted
    std::unordered_set<std::wstring> urls_;
};

class Catalogue {
public:
    // Reads every whole record; an absent file is an empty catalogue.
    HRESULT Load(const std::wstring& path);
    // Loads, cuts off a damaged tail and keeps the file open for appending.
    // Only the indexer host writes.
    HRESULT OpenForWriting(const std::wstring& path);

    HRESULT Put(const ItemRecord& record);
    // Removes url and every item below it.
    HRESULT RemoveBelow(const std::wstring& url);

    const ItemRecord* Find(const std::wstring& url) const;
    size_t Count() const noexcept { return byUrl_.size(); }
    std::vector<std::wstring> UrlsBelow(const std::wstring& url) const;

    // Newest first (by System.DateModified), then by URL.
    std::vector<const ItemRecord*> Query(const QueryRequest& request) const;

    // The bytes of whole records, which is the file's length once opened
    // for writing.
    std::uint64_t ValidBytes() const noexcept { return validBytes_; }
    const WordIndex& Words() const noexcept { return words_; }
    // The item in a slot of the word index; null for a replaced or removed one.
    const ItemRecord* Slot(std::uint32_t slot) const noexcept
    {
        return slot < slots_.size() ? slots_[slot].get() : nullptr;
    }
    std::uint32_t SlotCount() const noexcept { return static_cast<std::uint32_t>(slots_.size()); }

private:
    HRESULT Append(std::uint8_t operation, const std::string& payload);
    bool ApplyRecord(const char* payload, size_t size);
    void Insert(ItemRecord record);
    void Erase(const std::wstring& url);

    std::vector<std::unique_ptr<ItemRecord>> slots_; // null once replaced or removed
    std::unordered_map<std::wstring, std::uint32_t> byUrl_;
    WordIndex words_;
    FileHandle file_;
    std::uint64_t validBytes_ = 0;
};

} // namespace brw::winsearch
