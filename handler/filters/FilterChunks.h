// The pieces of the filters' own chunks: the chunk stamps and the value
// handed out once, the value types and the child-URL value.
#pragma once
#include "common/ComHolders.h"
#include "handler/filters/PropertyKeys.h"

#include <windows.h>
#include <filter.h>
#include <filterr.h>

#include <string>

namespace brw {

class OwnChunks {
public:
    OwnChunks() noexcept : locale_(GetUserDefaultLCID()) {}

    // Fills stat for the next value chunk of the filter's own.
    void Stamp(STAT_CHUNK* stat, const PropertyKeyEntry& key) noexcept;
    PROPVARIANT* Value() noexcept { return &value_; }
    HRESULT ClearValue() noexcept { return PropVariantClear(&value_); }
    // Moves the current value into a new CoTaskMem PROPVARIANT; the filter's
    // copy becomes VT_EMPTY, so a second call hands out an empty value.
    HRESULT TakeValue(PROPVARIANT** out) noexcept;
    ULONG LastChunkId() const noexcept { return counter_; }

    ~OwnChunks() { PropVariantClear(&value_); }
    OwnChunks(const OwnChunks&) = delete;
    OwnChunks& operator=(const OwnChunks&) = delete;

private:
    ULONG counter_ = 0;
    LCID locale_;
    PROPVARIANT value_ = {};
};

// VT_BSTR / VT_UI4 / VT_BOOL / VT_I4 / VT_FILETIME into an empty value.
HRESULT SetBstrValue(PROPVARIANT* value, const std::wstring& text) noexcept;
void SetUi4Value(PROPVARIANT* value, ULONG number) noexcept;
void SetBoolValue(PROPVARIANT* value, bool flag) noexcept;
void SetI4Value(PROPVARIANT* value, LONG number) noexcept;
void SetFileTimeValue(PROPVARIANT* value, const FILETIME& time) noexcept;
// The child value: VT_VECTOR | VT_VARIANT of the URL (VT_LPWSTR) and the
// current time (VT_FILETIME).
HRESULT SetUrlToIndexValue(PROPVARIANT* value, const std::wstring& url) noexcept;

// Leading decimal digits as an unsigned 32-bit number (0 for none).
ULONG LeadingUnsigned(const std::wstring& text) noexcept;

} // namespace brw
