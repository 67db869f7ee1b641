// What the protocol handler and the accessor answer for each kind of URL.
#include "handler/protocol/NSFProtocol.h"
#include "handler/protocol/NSFUrlAccessor.h"
#include "handler/tests/FilterTestSupport.h"
#include "handler/tests/TestFilters.h"

#include <gtest/gtest.h>

namespace brw {
namespace {

using brwtest::ConnectorStandIn;
using brwtest::TemporaryFile;

ComPtr<IUrlAccessor2> Accessor(ISearchProtocol2* protocol, const wchar_t* url)
{
    ComPtr<IUrlAccessor> accessor;
    EXPECT_EQ(S_OK, protocol->CreateAccessorEx(url, nullptr, nullptr, nullptr, nullptr, accessor.put()));
    ComPtr<IUrlAccessor2> second;
    EXPECT_EQ(S_OK, accessor.As(&second));
    return second;
}

class Accessors : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(S_OK, CreateAggregatableInstance<CNSFProtocol>(nullptr, IID_ISearchProtocol2, protocol.put_void()));
        ASSERT_EQ(S_OK, protocol->Init(nullptr, site.get(), nullptr));
    }
    ComPtr<brwtest::TestSite> site = brwtest::MakeSite();
    ComPtr<ISearchProtocol2> protocol;
};

TEST_F(Accessors, ProtocolInterfacesAndItsNoOps)
{
    ComPtr<ISearchProtocol> first;
    EXPECT_EQ(S_OK, protocol.As(&first));
    ComPtr<IFilter> notThere;
    EXPECT_EQ(E_NOINTERFACE, protocol.As(&notThere));
    EXPECT_EQ(S_OK, protocol->CloseAccessor(nullptr));
    EXPECT_EQ(S_OK, protocol->ShutDown());
    IUrlAccessor* accessor = reinterpret_cast<IUrlAccessor*>(0x1);
    EXPECT_EQ(E_POINTER, protocol->CreateAccessorEx(L"brw://{X}/", nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(S_OK, first->CreateAccessor(L"brw://{X}/", nullptr, nullptr, nullptr, &accessor));
    ASSERT_NE(nullptr, accessor);
    accessor->Release();
}

TEST_F(Accessors, AnswersPerKind)
{
    struct Case {
        const wchar_t* url;
        HRESULT isDirectory;
    } cases[] = {
        {L"brw://{S}/", S_OK},
        {L"brw://{S}/mail/a.nsf/", S_OK},
        {L"brw://{S}/mail/a.nsf/00001A2B", S_FALSE},
        {L"brw://{S}/mail/a.nsf/00001A2B#2#r.doc", S_FALSE},
        {L"http://elsewhere/", S_FALSE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        ComPtr<IUrlAccessor2> accessor = Accessor(protocol.get(), c.url);
        EXPECT_EQ(c.isDirectory, accessor->IsDirectory());
        EXPECT_EQ(c.isDirectory == S_OK ? S_FALSE : S_OK, accessor->IsDocument());
        ULONGLONG size = 99;
        EXPECT_EQ(E_NOTIMPL, accessor->GetSize(&size));
        EXPECT_EQ(0u, size);
        WCHAR buffer[64];
        DWORD length = 0;
        EXPECT_EQ(E_NOTIMPL, accessor->GetFileName(buffer, 64, &length));
        EXPECT_EQ(E_NOTIMPL, accessor->GetDocFormat(buffer, 64, &length));
        CLSID clsid = {};
        EXPECT_EQ(S_FALSE, accessor->GetSecurityProvider(&clsid));
    }
    ComPtr<IFilter> filter;
    EXPECT_EQ(E_NOTIMPL, Accessor(protocol.get(), L"http://elsewhere/")->BindToFilter(filter.put()))
        << "no handler, nothing to bind";
}

TEST_F(Accessors, DisplayUrlIsFixedAndBounded)
{
    ComPtr<IUrlAccessor2> accessor = Accessor(protocol.get(), L"brw://{S}/");
    WCHAR buffer[40];
    DWORD length = 0;
    ASSERT_EQ(S_OK, accessor->GetDisplayUrl(buffer, 33, &length));
    EXPECT_EQ(32u, length);
    EXPECT_STREQ(L"notes:///mail/admin.nsf/($Inbox)", buffer);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER), accessor->GetDisplayUrl(buffer, 32, &length));
    EXPECT_STREQ(L"", buffer);
    EXPECT_EQ(32u, length);
    EXPECT_EQ(E_INVALIDARG, accessor->GetDisplayUrl(buffer, 0, &length));
    EXPECT_EQ(E_INVALIDARG, accessor->GetDisplayUrl(buffer, 0x80000000u, &length));
}

TEST_F(Accessors, MessageBodyNamesItsFileAndRemovesIt)
{
    auto body = std::make_unique<TemporaryFile>(L"twelve units", brwtest::FileAccess::ReadOnly);
    const std::wstring path = body->Path();
    ConnectorStandIn connector([&](const std::wstring&) { return L"<document><rtf>" + path + L"</rtf></document>"; });
    ComPtr<IUrlAccessor2> accessor = Accessor(protocol.get(), L"brw://{S}/a.nsf/00000001#0#body");
    EXPECT_EQ(1u, connector.RequestCount());
    EXPECT_EQ(S_FALSE, accessor->IsDirectory());
    ULONGLONG size = 0;
    ASSERT_EQ(S_OK, accessor->GetSize(&size));
    EXPECT_EQ(24u, size);
    std::vector<WCHAR> buffer(path.size() + 1);
    DWORD length = 0;
    ASSERT_EQ(S_OK, accessor->GetFileName(buffer.data(), static_cast<DWORD>(buffer.size()), &length));
    EXPECT_EQ(path, buffer.data());
    EXPECT_EQ(path.size(), length);
    EXPECT_EQ(E_FAIL, accessor->GetFileName(buffer.data(), static_cast<DWORD>(path.size()), &length));
    ComPtr<IFilter> filter;
    EXPECT_EQ(S_OK, accessor->BindToFilter(filter.put()));
    EXPECT_FALSE(filter);
    accessor.reset();
    EXPECT_FALSE(body->Exists());
}

TEST_F(Accessors, MessageBodyWithoutFileFailsQuietly)
{
    ConnectorStandIn connector([](const std::wstring&) { return std::wstring(L"<document></document>"); });
    ComPtr<IUrlAccessor2> accessor = Accessor(protocol.get(), L"brw://{S}/a.nsf/00000001#0#body");
    ULONGLONG size = 5;
    EXPECT_EQ(E_FAIL, accessor->GetSize(&size));
    EXPECT_EQ(0u, size);
    WCHAR buffer[8];
    DWORD length = 0;
    EXPECT_EQ(E_FAIL, accessor->GetFileName(buffer, 8, &length));
}

} // namespace
} // namespace brw
