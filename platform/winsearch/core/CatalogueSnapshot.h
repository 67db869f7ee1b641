// A query's view of the catalogue without reading it whole: the indexer host
// writes, after each pass, a file with what results show (URL, name,
// author, kind, item type, date) and the word index, and the query command
// maps it and touches only the words and items it needs. The snapshot names
// the catalogue length it covers; when the catalogue has grown or shrunk
// since, it is stale and the query reads the catalogue itself.
#pragma once

#include "common/Handles.h"
#include "platform/winsearch/core/Catalogue.h"

#include <cstdint>
#include <string>
#include <vector>

namespace brw::winsearch {

HRESULT WriteSnapshot(const Catalogue& catalogue, const std::wstring& path);

class CatalogueSnapshot {
public:
    CatalogueSnapshot() = default;
    ~CatalogueSnapshot();
    CatalogueSnapshot(const CatalogueSnapshot&) = delete;
    CatalogueSnapshot& operator=(const CatalogueSnapshot&) = delete;

    // S_OK when the snapshot exists, is well formed and covers exactly
    // catalogueBytes; S_FALSE when it is absent, damaged or stale.
    HRESULT Open(const std::wstring& path, std::uint64_t catalogueBytes);

    // As Catalogue::Query; each record carries the URL and the properties
    // results show.
    std::vector<ItemRecord> Query(const QueryRequest& request) const;

private:
    struct Header;
    struct ItemEntry;
    struct WordEntry;

    std::wstring_view Text(std::uint32_t offset, std::uint32_t length) const;
    bool FindWord(const std::wstring& word, const std::uint32_t** begin, const std::uint32_t** end) const;
    ItemRecord Record(std::uint32_t ordinal) const;

    FileHandle file_;
    KernelHandle mapping_;
    const char* view_ = nullptr;
    const Header* header_ = nullptr;
    const ItemEntry* items_ = nullptr;
    const WordEntry* words_ = nullptr;
    const std::uint32_t* postings_ = nullptr;
    const wchar_t* strings_ = nullptr;
};

} // namespace brw::winsearch
