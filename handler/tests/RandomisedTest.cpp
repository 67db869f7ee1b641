// Thousands of generated URLs and replies through the parsers, the property
// rules and the note filter. The seed is fixed, so a failure repeats.
#include "handler/filters/NoteProperties.h"
#include "handler/pipe/ReplyFields.h"
#include "handler/protocol/BrwUrl.h"
#include "handler/protocol/NSFProtocol.h"
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
        static const wchar_t* kPieces[] = {L"brw://", L"BRW://", L"brw:/", L"{",    L"}",           L"{S-1-5-21-9}",
                                           L"/",      L"mail",   L".nsf",  L".NSF", L".Nsf",        L".nsf/",
                                           L"#",      L"12",     L"-3",    L"0",    L"99999999999", L"a.b.c",
                                           L".",      L"\\",     L"%20",   L"&",    L"\"",          L"\xD800"};
        std::wstring url = Pick(3) == 0 ? L"" : L"brw://";
        const int parts = Pick(12);
        for (int i = 0; i < parts; ++i) {
            url += kPieces[Pick(ARRAYSIZE(kPieces))];
        }
        return url;
    }

    std::wstring Reply()
    {
        static const wchar_t* kPieces[] = {L"<textfield>",
                                           L"</textfield>",
                                           L"<textlistfield>",
                                           L"</textlistfield>",
                                           L"<name>",
                                           L"</name>",
                                           L"<value>",
                                           L"</value>",
                                           L"Subject",
                                           L"SendTo",
                                           L"From",
                                           L"Form",
                                           L"Memo",
                                           L"Person",
                                           L"PostedDate",
                                           L"DeliveredDate",
                                           L"06/05/1995 11:00:00",
                                           L"CN=A/OU=B/O=C",
                                           L"<rtf>",
                                           L"</rtf>",
                                           L"<originalfilename>",
                                           L"</originalfilename>",
                                           L"<notesize>",
                                           L"</notesize>",
                                           L"4294967299",
                                           L"&amp;",
                                           L"&#x",
                                           L"&#1114112;",
                                           L"&",
                                           L";",
                                           L"<d>",
                                           L"</d>",
                                           L"1A2B",
                                           L"123456789",
                                           L"x",
                                           L"\xFFFE",
                                           L"&lt;",
                                           kNul};
        std::wstring reply;
        const int parts = Pick(60);
        for (int i = 0; i < parts; ++i) {
            reply += Piece(kPieces[Pick(ARRAYSIZE(kPieces))]);
        }
        return reply;
    }

    // Text as a value may hold it: no tags, but NULs, non-characters and
    // entities that are left as the reply writes them.
    std::wstring Value()
    {
        static const wchar_t* kPieces[] = {kNul, L"\xFFFE", L"\xFFFF", L"&amp;", L"&lt;", L"&gt;",   L"&quot;", L"&#0;",
                                           L"&", L";",      L"a",      L"Z",     L" ",    L"\xD800", L"\x00E9"};
        std::wstring value;
        const int parts = 1 + Pick(40);
        for (int i = 0; i < parts; ++i) {
            value += Piece(kPieces[Pick(ARRAYSIZE(kPieces))]);
        }
        return value;
    }

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

private:
    // The one piece that is a U+0000, which a C string cannot carry.
    static constexpr const wchar_t* kNul = L"<NUL>";
    static std::wstring Piece(const wchar_t* piece)
    {
        return piece == kNul ? std::wstring(1, L'\0') : std::wstring(piece);
    }

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
            const std::wstring rebuilt =
                MakeAttachmentUrl(parsed.identity, parsed.databasePath, L"00000001", 1, L"f.t");
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
            ASSERT_EQ(S_OK, ComputeNoteProperty(p, text, L"00000001", value.put())) << p;
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
    ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
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
            ASSERT_EQ(S_OK,
                      protocol->CreateAccessor(L"brw://{S}/a.nsf/00000001", nullptr, nullptr, nullptr, accessor.put()));
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
    CoUninitialize();
}

// Whatever a value holds, the fields, the body file, the attachments and the
// size after it are still found, and the body file is still deleted.
TEST(Randomised, EverythingAfterAnOddValueIsStillFound)
{
    ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    {
        Generator generate(29);
        std::wstring next;
        brwtest::ConnectorStandIn connector([&](const std::wstring&) { return next; });
        ComPtr<brwtest::TestSite> site = brwtest::MakeSite();
        ComPtr<ISearchProtocol2> protocol;
        ASSERT_EQ(S_OK, CreateAggregatableInstance<CNSFProtocol>(nullptr, IID_ISearchProtocol2, protocol.put_void()));
        ASSERT_EQ(S_OK, protocol->Init(nullptr, site.get(), nullptr));
        for (int i = 0; i < 100; ++i) {
            brwtest::TemporaryFile body(L"body words", brwtest::FileAccess::ReadOnly);
            next = L"<document><textfield><name>Junk</name><value>" + generate.Value() +
                   L"</value></textfield><textlistfield><name>SendTo</name><value>" + generate.Value() +
                   L"</value><value>Bob</value></textlistfield><textfield><name>Subject</name><value>After"
                   L"</value></textfield><rtf>" +
                   body.Path() +
                   L"</rtf><attachments><attachment><originalfilename>late.doc</originalfilename></attachment>"
                   L"</attachments><notesize>77</notesize></document>";
            {
                ComPtr<IUrlAccessor> accessor;
                ASSERT_EQ(S_OK, protocol->CreateAccessor(L"brw://{S}/a.nsf/00000001", nullptr, nullptr, nullptr,
                                                         accessor.put()));
                ComPtr<IFilter> filter;
                ASSERT_EQ(S_OK, accessor->BindToFilter(filter.put())) << i;
                ULONG flags = 0;
                ASSERT_EQ(S_OK, filter->Init(0, 0, nullptr, &flags));
                HRESULT end = S_OK;
                const auto chunks = brwtest::Drain(filter.get(), &end);
                ASSERT_EQ(23u + 1u + 1u, chunks.size()) << i;
                EXPECT_STREQ(L"After", chunks[0].value.get().bstrVal) << i;
                EXPECT_EQ(77u, chunks[4].value.get().ulVal) << i;
                EXPECT_EQ(L"body words", chunks[23].text) << i;
                EXPECT_EQ(L"brw://{S}/a.nsf/00000001#1#late.doc", brwtest::ChildUrl(chunks[24])) << i;
                site->last.reset();
            }
            EXPECT_FALSE(body.Exists()) << i;
        }
    }
    CoUninitialize();
}

} // namespace
} // namespace brw
