// The filter of one Notes database: its naming chunks, then one crawl
// request per document the connector lists for it.
#pragma once
#include "handler/filters/ContainerFilter.h"
#include "handler/pipe/PipeReply.h"

#include <windows.h>

#include <memory>
#include <string>

namespace brw {

// {F073E96A-56BD-4722-B6FE-E0843407DBB7}
constexpr CLSID kDBIFilterClsid = {0xF073E96A, 0x56BD, 0x4722, {0xB6, 0xFE, 0xE0, 0x84, 0x34, 0x07, 0xDB, 0xB7}};

class CDBIFilter final : public ContainerFilter {
public:
    CDBIFilter() noexcept : ContainerFilter(L"/Mail") {}

    // Fetches the document list once. A failed request makes Init and
    // GetChunk fail with its error; the filter itself is still handed out.
    HRESULT InitializeDatabase(const std::wstring& identity, const std::wstring& databasePath) noexcept;

private:
    ~CDBIFilter() override = default;
    bool NextChildUrl(std::wstring* url) override;

    std::wstring identity_;
    std::wstring databasePath_;
    std::unique_ptr<PipeReply> reply_;
};

} // namespace brw
