#include "handler/filters/FilterChunks.h"

#include "common/WideString.h"

namespace brw {

void OwnChunks::Stamp(STAT_CHUNK* stat, const PropertyKeyEntry& key) noexcept
{
    stat->idChunk = ++counter_;
    stat->breakType = CHUNK_EOS;
    stat->flags = CHUNK_VALUE;
    stat->locale = locale_;
    stat->attribute.guidPropSet = key.fmtid;
    stat->attribute.psProperty.ulKind = PRSPEC_PROPID;
    stat->attribute.psProperty.propid = key.pid;
    stat->idChunkSource = 0;
    stat->cwcStartSource = 0;
    stat->cwcLenSource = 0;
}

HRESULT OwnChunks::TakeValue(PROPVARIANT** out) noexcept
{
    if (!out) {
        return E_POINTER;
    }
    auto* moved = static_cast<PROPVARIANT*>(CoTaskMemAlloc(sizeof(PROPVARIANT)));
    if (!moved) {
        return E_OUTOFMEMORY;
    }
    *moved = value_;
    PropVariantInit(&value_);
    *out = moved;
    return S_OK;
}

HRESULT SetBstrValue(PROPVARIANT* value, const std::wstring& text) noexcept
{
    if (text.size() > 0x7FFFFFFF) {
        return E_OUTOFMEMORY;
    }
    BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!copy) {
        return E_OUTOFMEMORY;
    }
    value->vt = VT_BSTR;
    value->bstrVal = copy;
    return S_OK;
}

void SetUi4Value(PROPVARIANT* value, ULONG number) noexcept
{
    value->vt = VT_UI4;
    value->ulVal = number;
}

void SetBoolValue(PROPVARIANT* value, bool flag) noexcept
{
    value->vt = VT_BOOL;
    value->boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
}

void SetI4Value(PROPVARIANT* value, LONG number) noexcept
{
    value->vt = VT_I4;
    value->lVal = number;
}

void SetFileTimeValue(PROPVARIANT* value, const FILETIME& time) noexcept
{
    value->vt = VT_FILETIME;
    value->filetime = time;
}

HRESULT SetUrlToIndexValue(PROPVARIANT* value, const std::wstring& url) noexcept
{
    wchar_t* copy = nullptr;
    if (FAILED(DuplicateCoTaskMemString(url.c_str(), &copy))) {
        return E_OUTOFMEMORY;
    }
    CoTaskMemPtr<wchar_t> text(copy);
    auto* elements = static_cast<PROPVARIANT*>(CoTaskMemAlloc(2 * sizeof(PROPVARIANT)));
    if (!elements) {
        return E_OUTOFMEMORY;
    }
    PropVariantInit(&elements[0]);
    PropVariantInit(&elements[1]);
    elements[0].vt = VT_LPWSTR;
    elements[0].pwszVal = text.release();
    elements[1].vt = VT_FILETIME;
    GetSystemTimeAsFileTime(&elements[1].filetime);
    value->vt = VT_VECTOR | VT_VARIANT;
    value->capropvar.cElems = 2;
    value->capropvar.pElems = elements;
    return S_OK;
}

ULONG LeadingUnsigned(const std::wstring& text) noexcept
{
    unsigned long long number = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            break;
        }
        // Saturates: a size larger than 32 bits reads as the largest one.
        number = number * 10 + static_cast<unsigned>(c - L'0');
        if (number > 0xFFFFFFFFull) {
            return 0xFFFFFFFFul;
        }
    }
    return static_cast<ULONG>(number);
}

} // namespace brw
