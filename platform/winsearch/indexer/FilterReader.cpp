#include "platform/winsearch/indexer/FilterReader.h"

#include "common/ComHolders.h"

#include <filterr.h>
#include <propsys.h>

#include <cwchar>

namespace brw::winsearch {

namespace {

constexpr ULONG kInitFlags = IFILTER_INIT_CANON_PARAGRAPHS | IFILTER_INIT_HARD_LINE_BREAKS |
                             IFILTER_INIT_APPLY_INDEX_ATTRIBUTES | IFILTER_INIT_APPLY_OTHER_ATTRIBUTES |
                             IFILTER_INIT_APPLY_CRAWL_ATTRIBUTES | IFILTER_INIT_INDEXING_ONLY;
// A filter that never ends its chunks, or its text, is cut off here.
constexpr unsigned kMaxChunks = 1000000;
constexpr unsigned kMaxTextCalls = 100000;
constexpr ULONG kTextBuffer = 4096;
constexpr size_t kMaxValueText = 65536;
constexpr ULONG kMaxVectorItems = 4096;

bool SameKey(const FULLPROPSPEC& property, const PROPERTYKEY& key)
{
    return property.psProperty.ulKind == PRSPEC_PROPID && property.psProperty.propid == key.pid &&
           IsEqualGUID(property.guidPropSet, key.fmtid);
}

bool ReadString(const PROPVARIANT& value, std::wstring* text)
{
    if (value.vt == VT_LPWSTR && value.pwszVal) {
        text->assign(value.pwszVal, wcsnlen(value.pwszVal, kMaxValueText));
        return true;
    }
    if (value.vt == VT_BSTR && value.bstrVal) {
        text->assign(value.bstrVal, std::min<size_t>(SysStringLen(value.bstrVal), kMaxValueText));
        return true;
    }
    return false;
}

bool ReadInteger(const PROPVARIANT& value, std::int64_t* number)
{
    switch (value.vt) {
    case VT_I1:
        *number = value.cVal;
        return true;
    case VT_UI1:
        *number = value.bVal;
        return true;
    case VT_I2:
        *number = value.iVal;
        return true;
    case VT_UI2:
        *number = value.uiVal;
        return true;
    case VT_I4:
    case VT_INT:
        *number = value.lVal;
        return true;
    case VT_UI4:
    case VT_UINT:
        *number = value.ulVal;
        return true;
    case VT_I8:
        *number = value.hVal.QuadPart;
        return true;
    case VT_UI8:
        *number = static_cast<std::int64_t>(value.uhVal.QuadPart);
        return true;
    default:
        return false;
    }
}

bool ToProperty(const PROPVARIANT& value, PropertyValue* property)
{
    if (ReadString(value, &property->text)) {
        property->type = ValueType::Text;
        return true;
    }
    if (ReadInteger(value, &property->number)) {
        property->type = ValueType::Integer;
        return true;
    }
    if (value.vt == VT_BOOL) {
        property->type = ValueType::Boolean;
        property->number = value.boolVal ? 1 : 0;
        return true;
    }
    if (value.vt == VT_FILETIME) {
        property->type = ValueType::FileTime;
        property->number = static_cast<std::int64_t>(FileTimeToCount(value.filetime));
        return true;
    }
    if ((value.vt == (VT_VECTOR | VT_LPWSTR) && (value.calpwstr.cElems == 0 || value.calpwstr.pElems)) ||
        (value.vt == (VT_VECTOR | VT_BSTR) && (value.cabstr.cElems == 0 || value.cabstr.pElems))) {
        property->type = ValueType::TextList;
        const bool wide = value.vt == (VT_VECTOR | VT_LPWSTR);
        const ULONG count = std::min(wide ? value.calpwstr.cElems : value.cabstr.cElems, kMaxVectorItems);
        for (ULONG i = 0; i < count; ++i) {
            const wchar_t* item = wide ? value.calpwstr.pElems[i] : value.cabstr.pElems[i];
            if (item) {
                property->texts.emplace_back(item, wcsnlen(item, kMaxValueText));
            }
        }
        return true;
    }
    return false;
}

void ReadChildLink(const PROPVARIANT& value, bool withTime, GatherReply* reply)
{
    ChildLink child;
    if (!withTime) {
        if (ReadString(value, &child.url)) {
            reply->children.push_back(std::move(child));
        }
        return;
    }
    if (value.vt != (VT_VECTOR | VT_VARIANT) || value.capropvar.cElems < 1 || !value.capropvar.pElems ||
        !ReadString(value.capropvar.pElems[0], &child.url)) {
        return;
    }
    if (value.capropvar.cElems >= 2 && value.capropvar.pElems[1].vt == VT_FILETIME) {
        child.lastModified = FileTimeToCount(value.capropvar.pElems[1].filetime);
    }
    reply->children.push_back(std::move(child));
}

void ReadValue(IFilter* filter, const STAT_CHUNK& chunk, GatherReply* reply)
{
    PROPVARIANT* value = nullptr;
    if (FAILED(filter->GetValue(&value)) || !value) {
        return;
    }
    if (SameKey(chunk.attribute, kKeyUrlToIndexWithModificationTime)) {
        ReadChildLink(*value, true, reply);
    } else if (SameKey(chunk.attribute, kKeyUrlToIndex)) {
        ReadChildLink(*value, false, reply);
    } else if (chunk.attribute.psProperty.ulKind == PRSPEC_PROPID) {
        PropertyValue property;
        property.key = {chunk.attribute.guidPropSet, chunk.attribute.psProperty.propid};
        if (ToProperty(*value, &property)) {
            // The last value of a property wins, as on Windows.
            for (PropertyValue& existing : reply->record.properties) {
                if (existing.key.pid == property.key.pid && IsEqualGUID(existing.key.fmtid, property.key.fmtid)) {
                    existing = property;
                    property.key.pid = 0;
                }
            }
            if (property.key.pid != 0) {
                reply->record.properties.push_back(std::move(property));
            }
        }
    }
    PropVariantClear(value);
    CoTaskMemFree(value);
}

void ReadText(IFilter* filter, const STAT_CHUNK& chunk, std::wstring* text)
{
    if (!text->empty() && chunk.breakType != CHUNK_NO_BREAK) {
        text->push_back(chunk.breakType == CHUNK_EOW ? L' ' : L'\n');
    }
    WCHAR buffer[kTextBuffer + 1];
    for (unsigned call = 0; call < kMaxTextCalls; ++call) {
        ULONG length = kTextBuffer;
        const HRESULT hr = filter->GetText(&length, buffer);
        if (FAILED(hr)) {
            return; // FILTER_E_NO_MORE_TEXT, or a failure that ends this chunk
        }
        if (length > kTextBuffer) {
            return; // claims more than the buffer holds: nothing of it is trusted
        }
        const size_t room = kMaxItemText - std::min(text->size(), kMaxItemText);
        text->append(buffer, std::min<size_t>(length, room));
        if (hr == FILTER_S_LAST_TEXT || (length == 0 && hr != S_OK)) {
            return;
        }
    }
}

} // namespace

HRESULT ReadFilter(IFilter* filter, GatherReply* reply)
{
    ULONG flags = 0;
    HRESULT hr = filter->Init(kInitFlags, 0, nullptr, &flags);
    if (FAILED(hr)) {
        return hr;
    }
    for (unsigned count = 0; count < kMaxChunks; ++count) {
        STAT_CHUNK chunk{};
        hr = filter->GetChunk(&chunk);
        if (hr == FILTER_E_END_OF_CHUNKS) {
            return S_OK;
        }
        if (hr == FILTER_E_EMBEDDING_UNAVAILABLE || hr == FILTER_E_LINK_UNAVAILABLE) {
            continue;
        }
        if (FAILED(hr)) {
            return hr;
        }
        if (chunk.flags & CHUNK_TEXT) {
            ReadText(filter, chunk, &reply->record.text);
        } else if (chunk.flags & CHUNK_VALUE) {
            ReadValue(filter, chunk, reply);
        }
    }
    return S_OK;
}

HRESULT LoadFilterFromStream(IFilter* filter, IStream* stream)
{
    ComPtr<IInitializeWithStream> initialize;
    if (SUCCEEDED(filter->QueryInterface(IID_IInitializeWithStream, initialize.put_void()))) {
        return initialize->Initialize(stream, STGM_READ);
    }
    ComPtr<IPersistStream> persist;
    HRESULT hr = filter->QueryInterface(IID_IPersistStream, persist.put_void());
    return SUCCEEDED(hr) ? persist->Load(stream) : hr;
}

} // namespace brw::winsearch
