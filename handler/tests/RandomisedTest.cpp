// Thousands of generated URLs and replies through the parsers, the property
// rules and the note filter. The seed is fixed, so a failure repeats.
#include "handler/BrwUrl.h"
#include "handler/NoteProperties.h"
#include "handler/NSFProtocol.h"
#include "handler/ReplyFields.h"
#include "handler/tests/FilterTestSupport.h"
#include "handler/tests/TestFilters.h"

#include <filterr.h>
#include <gtest/gtest.h>

#include <random>

namespace brw {
namespace {

class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed) {}

    std::wstring Url()
    {
        static const wchar_t* kPieces[] = {L"brw://", L"BRW://", L"brw:/", L"{", L"}", L"{S-1-5-21-9}", L"/", L"mail",
                                           L".nsf", L".NSF", L".Nsf", L".nsf/", L"#", L"12", L"-3", L"0",
                                           L"99999999999", L"a.b.c", L".", L"\\", L"%20", L"&", L"\"", L"\xD800"};
        std::wstring url = Pick(3) == 0 ? L"" : L"brw://";
        const int parts = Pick(12);
        for (int i = 0; i < parts; ++i) {
            url += kPieces[Pick(ARRAYSIZE(kPieces))];
        }
        return url;
    }

    std::wstring Reply()
    {
        static const wchar_t* kPieces[] = {
            L"<textfield>", L"</textfield>", L"<textlistfield>", L"</textlistfield>", L"<name>", L"</name>",
            L"<value>", L"</value>", L"Subject", L"SendTo", L"From", L"Form", L"Memo", L"Person", L"PostedDate",
            L"DeliveredDate", L"06/05/1995 11:00:00", L"CN=A/OU=B/O=C", L"<rtf>", L"</rtf>", L"<originalfilename>",
            L"</originalfilename>", L"<notesize>", L"</notesize>", L"4294967299", L"&amp;", L"&#x", L"&#1114112;",
            L"&", L";", L"<d>", L"</d>", L"1A2B", L"123456789", L"x"};
        std::wstring reply;
        const int parts = Pick(60);
        for (int i = 0; i < parts; ++i) {
            reply += kPieces[Pick(ARRAYSIZE(kPieces))];
        }
        return reply;
    }

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

private:
    std::mt19937 random_;
};

TEST(Randomised, UrlsParseConsistently)
{
    Generator generate(20260508);
    for (int i = 0; i < 20000; ++i) {
        const std::wstring url = generate.Url();
        ParsedBrwUrl parsed;
        if (!ParseBrwUrl(url.c_str(), &parsed)) {
            continue;
        }
        SCOPED_TRACE(url);
        ASSERT_GE(parsed.identity.size(), 2u);
        EXPECT_EQ(L'{', parsed.identity.front());
        EXPECT_EQ(L'}', parsed.identity.back());
        const bool item = parsed.kind == UrlKind::Document || parsed.kind == UrlKind::MessageBody ||
                          parsed.kind == UrlKind::Attachment;
        EXPECT_EQ(parsed.kind != UrlKind::Root, !parsed.databasePath.empty() || parsed.kind != UrlKind::Root);
        EXPECT_EQ(parsed.kind == UrlKind::Attachment, parsed.attachmentNumber != 0);
        if (item) {
            const std::wstring rebuilt = MakeAttachmentUrl(parsed.identity, parsed.databasePath, L"00000001", 1, L"f.t");
            ParsedBrwUrl again;
            ASSERT_TRUE(ParseBrwUrl(rebuilt.c_str(), &again));
            EXPECT_EQ(UrlKind::Attachment, again.kind);
        }
    }
}

TEST(Randomised, RepliesThroughLookupsAndPropertyRules)
{
    Generator generate(7);
    for (int i = 0; i < 5000; ++i) {
        const std::wstring text = generate.Reply();
        for (ULONG p = 0; p < kNotePropertyCount; ++p) {
            PropVariant value;
            ASSERT_EQ(S_OK, ComputeNoteProperty(p, text.c_str(), L"00000001", value.put())) << p;
        }
        PipeReply reply;
        reply.Assign(text.c_str(), text.size());
        wchar_t id[9];
        int ids = 0;
        while (NextDocumentId(&reply, id)) {
            ASSERT_EQ(8u, std::wcslen(id));
            ASSERT_LT(++ids, 1000);
        }
    }
}

TEST(Randomised, RepliesThroughTheNoteFilter)
{
    ASSERT_EQ(S_OK, ::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    {
        Generator generate(11);
        std::wstring next;
        brwtest::ConnectorStandIn connector([&](const std::wstring&) { return next; });
        ComPtr<brwtest::TestSite> site = brwtest::MakeSite();
        ComPtr<ISearchProtocol2> protocol;
        ASSERT_EQ(S_OK, CreateAggregatableInstance<CNSFProtocol>(nullptr, IID_ISearchProtocol2, protocol.put_void()));
        ASSERT_EQ(S_OK, protocol->Init(nullptr, site.get(), nullptr));
        for (int i = 0; i < 300; ++i) {
            next = generate.Reply();
            ComPtr<IUrlAccessor> accessor;
            ASSERT_EQ(S_OK, protocol->CreateAccessor(L"brw://{S}/a.nsf/00000001", nullptr, nullptr, nullptr,
                                                     accessor.put()));
            ComPtr<IFilter> filter;
            if (FAILED(accessor->BindToFilter(filter.put()))) {
                continue; // a reply that happens to be a marker
            }
            HRESULT end = S_OK;
            const auto chunks = brwtest::Drain(filter.get(), &end);
            EXPECT_EQ(FILTER_E_END_OF_CHUNKS, end);
            EXPECT_GE(chunks.size(), 23u);
        }
    }
    ::CoUninitialize();
}

} // namespace
} // namespace brw
