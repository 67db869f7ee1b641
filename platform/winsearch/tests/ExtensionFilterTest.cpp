// The filter the indexer hands a protocol handler for an attachment's
// extension: text for the plain-text types, and for a type without a filter
// one that takes the item and gives no text, so the item is indexed by its
// properties instead of failing.
#include "common/ComHolders.h"
#include "common/WideString.h"
#include "platform/winsearch/indexer/FilterReader.h"
#include "platform/winsearch/indexer/HandlerSite.h"

#include <filterr.h>
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>

namespace brw::winsearch {
namespace {

// What the filter for the extension gives for the bytes; the HRESULT of the
// first step that failed.
HRESULT FilterBytes(const wchar_t* extension, const std::string& bytes, std::wstring* text)
{
    ComPtr<IFilter> filter;
    HRESULT hr = FilterForExtension(extension, filter.put());
    if (FAILED(hr)) {
        return hr;
    }
    ComPtr<IStream> stream;
    stream.Attach(SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
    hr = LoadFilterFromStream(filter.get(), stream.get());
    if (FAILED(hr)) {
        return hr;
    }
    GatherReply reply;
    hr = ReadFilter(filter.get(), &reply);
    *text = reply.record.text;
    return hr;
}

TEST(ExtensionFilter, PlainTextTypesGiveTheirTextInAnyCase)
{
    for (const wchar_t* extension : {L"txt", L"csv", L"log", L"CSV", L".log"}) {
        SCOPED_TRACE(WideToUtf8(extension));
        std::wstring text;
        ASSERT_EQ(S_OK, FilterBytes(extension, "name,amount\nwidget,3", &text));
        EXPECT_EQ(L"name,amount\nwidget,3", text);
    }
}

TEST(ExtensionFilter, ATypeWithoutAFilterIsTakenWithoutText)
{
    for (const wchar_t* extension : {L"docx", L"zip", L"brwunknown", L""}) {
        SCOPED_TRACE(WideToUtf8(extension));
        std::wstring text = L"(unchanged)";
        EXPECT_EQ(S_OK, FilterBytes(extension, std::string("PK\3\4binary\0data", 15), &text));
        EXPECT_EQ(L"", text) << "no text from bytes no filter understands";
    }
}

TEST(ExtensionFilter, ANullExtensionOrOutLocationIsRefused)
{
    ComPtr<IFilter> filter;
    EXPECT_EQ(E_INVALIDARG, FilterForExtension(nullptr, filter.put()));
    EXPECT_FALSE(filter);
    EXPECT_EQ(E_POINTER, FilterForExtension(L"txt", nullptr));
}

} // namespace
} // namespace brw::winsearch
