// The filter of the user's crawl root: its naming chunks, then one crawl
// request per database the user selected.
#pragma once
#include "handler/filters/ContainerFilter.h"
#include "handler/pipe/StringList.h"

#include <windows.h>

#include <string>

namespace brw {

// {3BC73B4E-FFB2-44B7-BC43-33CF13A9EF45}
constexpr CLSID kNotesIFilterClsid = {0x3BC73B4E, 0xFFB2, 0x44B7, {0xBC, 0x43, 0x33, 0xCF, 0x13, 0xA9, 0xEF, 0x45}};

class CNotesIFilter final : public ContainerFilter {
public:
    CNotesIFilter() noexcept : ContainerFilter(L"/Lotus Notes") {}

    // Asks for the selected databases once. A failed request makes Init and
    // GetChunk fail with its error; the filter itself is still handed out.
    HRESULT InitializeRoot(const std::wstring& identity) noexcept;

private:
    ~CNotesIFilter() override = default;
    bool NextChildUrl(std::wstring* url) override;

    std::wstring identity_;
    StringList databases_;
    int nextDatabase_ = 0;
};

} // namespace brw
