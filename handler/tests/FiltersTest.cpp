// The chunk sequences of the four filters, reached the way the indexer
// reaches them: a URL, its accessor, BindToFilter, against a connector
// stand-in on the real pipe.
#include "handler/filters/NoteAttachmentIFilter.h"
#include "handler/filters/NoteIFilter.h"
#include "handler/filters/NoteProperties.h"
#include "handler/module/ClassTable.h"
#include "handler/pipe/PipeClient.h"
#include "handler/protocol/NSFProtocol.h"
#include "handler/protocol/NSFUrlAccessor.h"
#include "handler/tests/FilterTestSupport.h"
#include "handler/tests/TestFilters.h"

#include <filterr.h>
#include <gtest/gtest.h>
#include <windowssearcherrors.h>

namespace brw {
namespace {

using brwtest::ChildUrl;
using brwtest::Chunk;
using brwtest::ConnectorStandIn;
using brwtest::Drain;
using brwtest::LoadRoute;
using brwtest::TemporaryFile;

constexpr wchar_t kIdentity[] = L"{S-1-5-21-7}";

ComPtr<IUrlAccessor2> AccessorFor(const std::wstring& url, IProtocolHandlerSite* site)
{
    ComPtr<ISearchProtocol2> protocol;
    EXPECT_EQ(S_OK, CreateAggregatableInstance<CNSFProtocol>(nullptr, IID_ISearchProtocol2, protocol.put_void()));
    EXPECT_EQ(S_OK, protocol->Init(nullptr, site, nullptr));
    ComPtr<IUrlAccessor> accessor;
    EXPECT_EQ(S_OK, protocol->CreateAccessor(url.c_str(), nullptr, nullptr, nullptr, accessor.put()));
    ComPtr<IUrlAccessor2> second;
    EXPECT_EQ(S_OK, accessor.As(&second));
    return second;
}

ComPtr<IFilter> FilterFor(const std::wstring& url, IProtocolHandlerSite* site, HRESULT expected = S_OK)
{
    ComPtr<IUrlAccessor2> accessor = AccessorFor(url, site);
    ComPtr<IFilter> filter;
    EXPECT_EQ(expected, accessor->BindToFilter(filter.put()));
    if (filter) {
        ULONG flags = 0;
        EXPECT_EQ(S_OK, filter->Init(IFILTER_INIT_APPLY_INDEX_ATTRIBUTES, 0, nullptr, &flags));
    }
    return filter;
}

constexpr std::wstring_view kDocumentOpen = L"<document>";

std::wstring MemoReply(const std::wstring& bodyPath, int attachments)
{
    std::wstring reply = L"<document><textfield><name>Form</name><value>Memo</value></textfield>"
                         L"<textfield><name>Subject</name><value>Plan</value></textfield>";
    if (!bodyPath.empty()) {
        reply += L"<rtf>" + bodyPath + L"</rtf>";
    }
    if (attachments > 0) {
        reply += L"<attachments>";
        for (int i = 1; i <= attachments; ++i) {
            reply += L"<attachment><originalfilename>file" + std::to_wstring(i) +
                     L".doc</originalfilename><attachmentfilesize>10</attachmentfilesize></attachment>";
        }
        reply += L"</attachments>";
    }
    return reply + L"<notesize>512</notesize></document>";
}

class Filters : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED)); }
    void TearDown() override { CoUninitialize(); }
    ComPtr<brwtest::TestSite> site = brwtest::MakeSite();
};

TEST_F(Filters, NoteGivesPropertiesBodyThenAttachments)
{
    const std::wstring documentUrl = std::wstring(L"brw://") + kIdentity + L"/mail/a.nsf/00001A2B";
    auto body = std::make_unique<TemporaryFile>(L"body words", brwtest::FileAccess::ReadOnly);
    const std::wstring bodyPath = body->Path();
    ConnectorStandIn connector([&](const std::wstring&) { return MemoReply(bodyPath, 3); });
    ComPtr<IFilter> filter = FilterFor(documentUrl, site.get());
    ASSERT_TRUE(filter);
    EXPECT_NE(std::wstring::npos, connector.LastRequest().find(L"<get_document db=\"mail/a.nsf\""));
    EXPECT_NE(std::wstring::npos,
              connector.LastRequest().find(L"id=\"00001A2B\" attnum=\"0\" manage=\"false\" preview=\"false\""));
    ASSERT_EQ(1u, site->askedFor.size());
    EXPECT_EQ(L"TXT", site->askedFor[0]);

    // Before the first chunk is taken apart, the property chunk's contract.
    STAT_CHUNK stat = {};
    ASSERT_EQ(S_OK, filter->GetChunk(&stat));
    ULONG count = 10;
    WCHAR text[10];
    EXPECT_EQ(E_FAIL, filter->GetText(&count, text));
    PROPVARIANT* value = nullptr;
    ASSERT_EQ(S_OK, filter->GetValue(&value));
    EXPECT_EQ(VT_BSTR, value->vt);
    PropVariantClear(value);
    CoTaskMemFree(value);
    ASSERT_EQ(S_OK, filter->GetValue(&value));
    EXPECT_EQ(VT_EMPTY, value->vt) << "a value is handed out once";
    CoTaskMemFree(value);

    HRESULT end = S_OK;
    std::vector<Chunk> chunks = Drain(filter.get(), &end);
    EXPECT_EQ(FILTER_E_END_OF_CHUNKS, end);
    ASSERT_EQ(22u + 1u + 3u, chunks.size());
    for (ULONG i = 0; i < 22; ++i) {
        EXPECT_EQ(i + 2, chunks[i].stat.idChunk);
        EXPECT_EQ(static_cast<ULONG>(CHUNK_VALUE), static_cast<ULONG>(chunks[i].stat.flags));
        EXPECT_TRUE(IsEqualGUID(kNoteProperties[i + 1].fmtid, chunks[i].stat.attribute.guidPropSet));
        EXPECT_EQ(kNoteProperties[i + 1].pid, chunks[i].stat.attribute.psProperty.propid);
    }
    EXPECT_EQ(1000u, chunks[22].stat.idChunk) << "the body filter's chunk passes unchanged";
    EXPECT_EQ(L"body words", chunks[22].text);
    EXPECT_EQ(L"stream", site->last->loadedBy);
    EXPECT_TRUE(site->last->initialised);
    for (int i = 0; i < 3; ++i) {
        const Chunk& c = chunks[23 + i];
        EXPECT_EQ(24u + i, c.stat.idChunk);
        EXPECT_EQ(12u, c.stat.attribute.psProperty.propid);
        EXPECT_EQ(documentUrl + L"#" + std::to_wstring(i + 1) + L"#file" + std::to_wstring(i + 1) + L".doc",
                  ChildUrl(c));
    }
    EXPECT_EQ(FILTER_E_END_OF_CHUNKS, filter->GetChunk(&stat));
    EXPECT_EQ(FILTER_E_END_OF_CHUNKS, filter->GetChunk(&stat));

    EXPECT_TRUE(body->Exists());
    site->last.reset();
    filter.reset();
    EXPECT_FALSE(body->Exists()) << "the read-only body file goes with the filter";
}

TEST_F(Filters, NoteWithoutBodyGoesStraightToAttachments)
{
    TemporaryFile writable(L"kept", brwtest::FileAccess::Writable);
    struct Case {
        std::wstring body;
        bool refuseText;
    } cases[] = {
        {L"", false},                       // no rtf element
        {L"C:\\no\\such\\file.txt", false}, // file cannot be opened
        {writable.Path(), true},            // no TXT filter from the site
    };
    for (const Case& c : cases) {
        site->refuse = c.refuseText;
        ConnectorStandIn connector([&](const std::wstring&) { return MemoReply(c.body, 1); });
        ComPtr<IFilter> filter = FilterFor(std::wstring(L"brw://") + kIdentity + L"/a.nsf/00000001", site.get());
        ASSERT_TRUE(filter);
        HRESULT end = S_OK;
        std::vector<Chunk> chunks = Drain(filter.get(), &end);
        EXPECT_EQ(FILTER_E_END_OF_CHUNKS, end);
        ASSERT_EQ(24u, chunks.size()) << c.body;
        EXPECT_EQ(24u, chunks[23].stat.idChunk);
        EXPECT_FALSE(ChildUrl(chunks[23]).empty());
    }
    EXPECT_TRUE(writable.Exists()) << "a file that is not read-only is not ours to delete";
}

TEST_F(Filters, NoteRequestFailuresReachTheIndexer)
{
    struct Case {
        const wchar_t* reply;
        HRESULT expected;
    } cases[] = {{L"<deletedoc/>", kDocumentDeleted}, {L"<failure/>", kConnectorUnavailable}};
    for (const Case& c : cases) {
        ConnectorStandIn connector([&](const std::wstring&) { return std::wstring(c.reply); });
        ComPtr<IFilter> filter =
            FilterFor(std::wstring(L"brw://") + kIdentity + L"/a.nsf/00000001", site.get(), c.expected);
        EXPECT_FALSE(filter);
    }
}

TEST_F(Filters, DatabaseAnnouncesEveryListedDocument)
{
    ConnectorStandIn connector([](const std::wstring&) {
        return std::wstring(L"<documents><d>1F</d><d>000020A4</d><d>123456789</d></documents>");
    });
    ComPtr<IFilter> filter = FilterFor(std::wstring(L"brw://") + kIdentity + L"/Mail/Big.nsf/", site.get());
    ASSERT_TRUE(filter);
    EXPECT_NE(std::wstring::npos,
              connector.LastRequest().find(
                  L"<get_modified_document_list db=\"Mail/Big.nsf\" since=\"1995-05-06 11:00:00\"/>"));
    STAT_CHUNK stat = {};
    ASSERT_EQ(S_OK, filter->GetChunk(&stat));
    ULONG count = 4;
    WCHAR text[4];
    EXPECT_EQ(E_NOTIMPL, filter->GetText(&count, text));
    ASSERT_EQ(S_OK, filter->Init(0, 0, nullptr, nullptr));
    HRESULT end = S_OK;
    std::vector<Chunk> chunks = Drain(filter.get(), &end);
    EXPECT_EQ(FILTER_E_END_OF_CHUNKS, end);
    ASSERT_EQ(5u, chunks.size());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(VT_BSTR, chunks[i].value.get().vt);
        EXPECT_STREQ(L"/Mail", chunks[i].value.get().bstrVal);
    }
    EXPECT_EQ(std::wstring(L"brw://") + kIdentity + L"/mail/big.nsf/0000001F", ChildUrl(chunks[3]));
    EXPECT_EQ(std::wstring(L"brw://") + kIdentity + L"/mail/big.nsf/000020A4", ChildUrl(chunks[4]));
    EXPECT_EQ(6u, chunks[4].stat.idChunk) << "the ids continue across Init";
}

TEST_F(Filters, RootAnnouncesEverySelectedDatabaseInReplyOrder)
{
    ConnectorStandIn connector([](const std::wstring&) {
        return std::wstring(L"<databases><database><title>Mail</title><path>Mail\\JDoe.nsf</path></database>"
                            L"<database><title>No path</title></database>"
                            L"<database><path>archive\\a&amp;b.nsf</path></database></databases>");
    });
    ComPtr<IFilter> filter = FilterFor(std::wstring(L"brw://") + kIdentity + L"/", site.get());
    ASSERT_TRUE(filter);
    EXPECT_NE(std::wstring::npos, connector.LastRequest().find(L"<get_database_list selected=\"true\"/>"));
    HRESULT end = S_OK;
    std::vector<Chunk> chunks = Drain(filter.get(), &end);
    EXPECT_EQ(FILTER_E_END_OF_CHUNKS, end);
    ASSERT_EQ(5u, chunks.size());
    EXPECT_STREQ(L"/Lotus Notes", chunks[0].value.get().bstrVal);
    EXPECT_EQ(std::wstring(L"brw://") + kIdentity + L"/mail/jdoe.nsf/", ChildUrl(chunks[3]));
    EXPECT_EQ(std::wstring(L"brw://") + kIdentity + L"/archive/a&b.nsf/", ChildUrl(chunks[4]));
}

TEST_F(Filters, ContainersWithNothingToAnnounceGiveTheirNamesOnly)
{
    const struct {
        const wchar_t* url;
        const wchar_t* reply;
    } cases[] = {{L"/", L"<databases></databases>"}, {L"/a.nsf/", L"<documents></documents>"}};
    for (const auto& c : cases) {
        ConnectorStandIn connector([&](const std::wstring&) { return std::wstring(c.reply); });
        ComPtr<IFilter> filter = FilterFor(std::wstring(L"brw://") + kIdentity + c.url, site.get());
        ASSERT_TRUE(filter);
        HRESULT end = S_OK;
        EXPECT_EQ(3u, Drain(filter.get(), &end).size()) << c.url;
        EXPECT_EQ(FILTER_E_END_OF_CHUNKS, end);
    }
}

// An empty container tells the indexer that everything below it is gone; one
// whose list could not be had must fail instead, so the indexer comes back.
TEST_F(Filters, ContainersWhoseListFailedFailTheirInit)
{
    const struct {
        const wchar_t* url;
        const wchar_t* reply;
    } cases[] = {
        {L"/", L"<failure/>"},
        {L"/a.nsf/", L"<failure/>"},
        {L"/a.nsf/", L"<deletedoc/>"},
        {L"/", L"<documents></documents>"}, // the reply of another request
        {L"/a.nsf/", L"<databases></databases>"},
        {L"/", L"<databases><database><path>a.nsf</path></database>"}, // cut short
        {L"/a.nsf/", L"<documents><d>1F</d>"},
        {L"/a.nsf/", L""},
    };
    for (const auto& c : cases) {
        ConnectorStandIn connector([&](const std::wstring&) { return std::wstring(c.reply); });
        ComPtr<IUrlAccessor2> accessor = AccessorFor(std::wstring(L"brw://") + kIdentity + c.url, site.get());
        ComPtr<IFilter> filter;
        ASSERT_EQ(S_OK, accessor->BindToFilter(filter.put())) << c.url << c.reply;
        ASSERT_TRUE(filter);
        const HRESULT expected = std::wstring(c.reply) == L"<deletedoc/>" ? kDocumentDeleted : kConnectorUnavailable;
        ULONG flags = 0;
        EXPECT_EQ(filter->Init(IFILTER_INIT_APPLY_INDEX_ATTRIBUTES, 0, nullptr, &flags), expected) << c.url << c.reply;
        STAT_CHUNK stat = {};
        EXPECT_EQ(filter->GetChunk(&stat), expected) << "no chunk for a caller that ignores Init";
    }
}

TEST_F(Filters, AttachmentByEitherRouteThenItsFileIsGone)
{
    for (LoadRoute route : {LoadRoute::Stream, LoadRoute::File}) {
        site->route = route;
        auto extracted = std::make_unique<TemporaryFile>(L"sheet text", brwtest::FileAccess::ReadOnly, L".xls");
        const std::wstring path = extracted->Path();
        ConnectorStandIn connector([&](const std::wstring&) {
            return L"<document><attachment><diskfilename>" + path +
                   L"</diskfilename><originalfilename>plan.xls</originalfilename><attachmentfilesize>20480"
                   L"</attachmentfilesize><attachmentmodifiedtime></attachmentmodifiedtime></attachment></document>";
        });
        ComPtr<IFilter> filter =
            FilterFor(std::wstring(L"brw://") + kIdentity + L"/a.nsf/000020A4#3#plan.xls", site.get());
        ASSERT_TRUE(filter);
        EXPECT_NE(std::wstring::npos, connector.LastRequest().find(L"id=\"000020A4\" attnum=\"3\""));
        EXPECT_EQ(L"xls", site->askedFor.back());
        HRESULT end = S_OK;
        std::vector<Chunk> chunks = Drain(filter.get(), &end);
        EXPECT_EQ(FILTER_E_END_OF_CHUNKS, end);
        ASSERT_EQ(13u, chunks.size());
        EXPECT_STREQ(L"plan.xls", chunks[0].value.get().bstrVal);
        EXPECT_STREQ(L"BRW/Attachment", chunks[1].value.get().bstrVal);
        EXPECT_EQ(20480u, chunks[4].value.get().ulVal);
        EXPECT_STREQ(L"Document Attachment", chunks[5].value.get().bstrVal);
        EXPECT_EQ(VT_EMPTY, chunks[6].value.get().vt);
        EXPECT_EQ(VARIANT_TRUE, chunks[7].value.get().boolVal);
        EXPECT_STREQ(L"000020A4#3", chunks[10].value.get().bstrVal);
        EXPECT_EQ(VT_I4, chunks[11].value.get().vt);
        EXPECT_EQ(L"sheet text", chunks[12].text);
        EXPECT_EQ(route == LoadRoute::File ? L"file" : L"stream", site->last->loadedBy);
        site->last.reset();
        filter.reset();
        EXPECT_FALSE(extracted->Exists());
    }
}

TEST_F(Filters, AttachmentWithoutFileOrFilter)
{
    ConnectorStandIn connector([](const std::wstring&) {
        return std::wstring(L"<document><textfield><name>PostedDate</name><value>x</value></textfield>"
                            L"<attachment><originalfilename>a.doc</originalfilename></attachment></document>");
    });
    const std::wstring url = std::wstring(L"brw://") + kIdentity + L"/a.nsf/00000001#1#a.doc";
    ComPtr<IFilter> filter = FilterFor(url, site.get());
    ASSERT_TRUE(filter);
    HRESULT end = S_OK;
    std::vector<Chunk> chunks = Drain(filter.get(), &end);
    EXPECT_EQ(FILTER_E_END_OF_CHUNKS, end);
    ASSERT_EQ(12u, chunks.size());
    // The fields of the reply are not the attachment's document's: the folder
    // of the document is shown on the document alone.
    EXPECT_STREQ(L"Document Attachment", chunks[5].value.get().bstrVal);

    site->refuse = true;
    EXPECT_FALSE(FilterFor(url, site.get(), GTHR_E_FILTER_NOT_FOUND));
    EXPECT_FALSE(
        FilterFor(std::wstring(L"brw://") + kIdentity + L"/a.nsf/00000001#70000#a.doc", site.get(), E_INVALIDARG));
}

// Every file a reply names is deleted with the object it was written for,
// whether or not it was read.
TEST_F(Filters, ReleasedBeforeTheContentTheNamedFileIsGone)
{
    auto body = std::make_unique<TemporaryFile>(L"secret", brwtest::FileAccess::ReadOnly);
    const std::wstring bodyPath = body->Path();
    {
        ConnectorStandIn connector([&](const std::wstring&) { return MemoReply(bodyPath, 1); });
        ComPtr<IFilter> filter = FilterFor(std::wstring(L"brw://") + kIdentity + L"/a.nsf/00000001", site.get());
        ASSERT_TRUE(filter);
        site->last.reset();
        filter.reset();
    }
    EXPECT_FALSE(body->Exists()) << "note filter released right after Init";

    auto extracted = std::make_unique<TemporaryFile>(L"sheet", brwtest::FileAccess::ReadOnly, L".xls");
    const std::wstring path = extracted->Path();
    {
        ConnectorStandIn connector([&](const std::wstring&) {
            return L"<document><attachment><diskfilename>" + path +
                   L"</diskfilename><originalfilename>plan.xls</originalfilename></attachment></document>";
        });
        ComPtr<IFilter> filter =
            FilterFor(std::wstring(L"brw://") + kIdentity + L"/a.nsf/00000001#1#plan.xls", site.get());
        ASSERT_TRUE(filter);
        STAT_CHUNK stat = {};
        EXPECT_EQ(S_OK, filter->GetChunk(&stat)) << "one property, then the indexer lets go";
        site->last.reset();
        filter.reset();
    }
    EXPECT_FALSE(extracted->Exists()) << "attachment filter released before its content";
}

TEST_F(Filters, ANamedFileThatCannotBeUsedIsGoneWithItsReader)
{
    auto body = std::make_unique<TemporaryFile>(L"secret", brwtest::FileAccess::ReadOnly);
    const std::wstring bodyPath = body->Path();
    site->refuse = true; // no text filter: the body is never read
    {
        ConnectorStandIn connector([&](const std::wstring&) { return MemoReply(bodyPath, 0); });
        ComPtr<IFilter> filter = FilterFor(std::wstring(L"brw://") + kIdentity + L"/a.nsf/00000001", site.get());
        ASSERT_TRUE(filter);
        HRESULT end = S_OK;
        EXPECT_EQ(23u, Drain(filter.get(), &end).size());
    }
    EXPECT_FALSE(body->Exists()) << "note filter without a text filter";

    auto second = std::make_unique<TemporaryFile>(L"secret", brwtest::FileAccess::ReadOnly);
    const std::wstring secondPath = second->Path();
    {
        ConnectorStandIn connector([&](const std::wstring&) { return MemoReply(secondPath, 0); });
        // The message body's accessor is made and dropped without its file
        // ever being handed out.
        ComPtr<IUrlAccessor2> accessor =
            AccessorFor(std::wstring(L"brw://") + kIdentity + L"/a.nsf/00000001#0#body", site.get());
        ASSERT_TRUE(accessor);
        WCHAR tooSmall[2] = {};
        DWORD length = 0;
        EXPECT_EQ(E_FAIL, accessor->GetFileName(tooSmall, ARRAYSIZE(tooSmall), &length));
    }
    EXPECT_FALSE(second->Exists()) << "message body accessor whose file name could not be handed out";
}

TEST_F(Filters, AValueWithANulLosesNothingThatFollowsIt)
{
    auto body = std::make_unique<TemporaryFile>(L"body words", brwtest::FileAccess::ReadOnly);
    const std::wstring bodyPath = body->Path();
    const std::wstring reply = std::wstring(L"<document><textfield><name>Junk</name><value>x") + L'\0' +
                               L"y</value></textfield>" + MemoReply(bodyPath, 1).substr(kDocumentOpen.size());
    ConnectorStandIn connector([&](const std::wstring&) { return reply; });
    {
        ComPtr<IFilter> filter = FilterFor(std::wstring(L"brw://") + kIdentity + L"/a.nsf/00000001", site.get());
        ASSERT_TRUE(filter);
        HRESULT end = S_OK;
        std::vector<Chunk> chunks = Drain(filter.get(), &end);
        ASSERT_EQ(23u + 1u + 1u, chunks.size());
        EXPECT_STREQ(L"Plan", chunks[0].value.get().bstrVal);
        EXPECT_EQ(512u, chunks[4].value.get().ulVal);
        EXPECT_EQ(L"body words", chunks[23].text);
        EXPECT_FALSE(ChildUrl(chunks[24]).empty());
        site->last.reset();
    }
    EXPECT_FALSE(body->Exists());
}

TEST_F(Filters, FiltersMadeByTheirFactoryAloneEndAtOnce)
{
    for (const CLSID* clsid : {&kNoteIFilterClsid, &kNoteAttachmentIFilterClsid}) {
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, GetClassObjectFromTable(kHandlerClasses, kHandlerClassCount, clsid, &IID_IClassFactory,
                                                factory.put_void()));
        ComPtr<IFilter> filter;
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IFilter, filter.put_void()));
        STAT_CHUNK stat = {};
        EXPECT_EQ(FILTER_E_END_OF_CHUNKS, filter->GetChunk(&stat));
    }
}

} // namespace
} // namespace brw
