#include "handler/filters/ContainerFilter.h"

namespace brw {

namespace {

constexpr ULONG kNamingPropertyCount = 3;
constexpr PropertyKeyEntry kNamingProperties[kNamingPropertyCount] = {kItemNameDisplayKey, kItemPathDisplayKey,
                                                                      kParsingNameKey};

} // namespace

ContainerFilter::ContainerFilter(const wchar_t* namingText) noexcept
    : ChunkFilter(kNamingProperties, kNamingPropertyCount), namingText_(namingText)
{
}

IFACEMETHODIMP ContainerFilter::GetText(ULONG*, WCHAR*)
{
    return E_NOTIMPL;
}

HRESULT ContainerFilter::ComputeProperty(ULONG, PROPVARIANT* value)
{
    return SetBstrValue(value, namingText_);
}

} // namespace brw
