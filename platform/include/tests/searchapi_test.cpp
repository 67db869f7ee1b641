// searchapi.h is only worth something if it matches the binaries on a user's
// machine, and our handler and the stand-in indexer would agree with each
// other on any wrong layout. So every expected value here is written from
// Microsoft's published definitions, never derived from the header.

#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <filter.h>
#include <propsys.h>
#include <shlobj.h>

// A hostile includer: the layouts checked below must survive it.
#pragma pack(push, 1)
#include <searchapi.h>
#pragma pack(pop)

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <set>
#include <string>
#include <type_traits>

namespace {

std::wstring GuidText(REFGUID guid)
{
    wchar_t text[39] = {};
    return StringFromGUID2(guid, text, 39) == 39 ? std::wstring(text) : std::wstring(L"(bad GUID)");
}

template <class Row>
std::string RowName(const testing::TestParamInfo<Row> &info) { return info.param.name; }

// --- Interface and class ids ---------------------------------------------

struct IdRow {
    const char *name;
    const GUID *constant;
    const GUID *uuidof;
    const wchar_t *published;
};
void PrintTo(const IdRow &row, std::ostream *os) { *os << row.name; }

#define BRW_IID_ROW(type, text) {#type, &IID_##type, &__uuidof(type), text}
#define BRW_CLSID_ROW(type, text) {#type, &CLSID_##type, &__uuidof(type), text}

const IdRow kIds[] = {
    BRW_IID_ROW(IUrlAccessor, L"{0B63E318-9CCC-11D0-BCDB-00805FCCCE04}"),
    BRW_IID_ROW(IUrlAccessor2, L"{C7310734-AC80-11D1-8DF3-00C04FB6EF4F}"),
    BRW_IID_ROW(IUrlAccessor3, L"{6FBC7005-0455-4874-B8FF-7439450241A3}"),
    BRW_IID_ROW(IUrlAccessor4, L"{5CC51041-C8D2-41D7-BCA3-9E9E286297DC}"),
    BRW_IID_ROW(IOpLockStatus, L"{C731065D-AC80-11D1-8DF3-00C04FB6EF4F}"),
    BRW_IID_ROW(ISearchProtocolThreadContext, L"{C73106E1-AC80-11D1-8DF3-00C04FB6EF4F}"),
    BRW_IID_ROW(ISearchProtocol, L"{C73106BA-AC80-11D1-8DF3-00C04FB6EF4F}"),
    BRW_IID_ROW(ISearchProtocol2, L"{7789F0B2-B5B2-4722-8B65-5DBD150697A9}"),
    BRW_IID_ROW(IProtocolHandlerSite, L"{0B63E385-9CCC-11D0-BCDB-00805FCCCE04}"),
    BRW_IID_ROW(ISearchRoot, L"{04C18CCF-1F57-4CBD-88CC-3900F5195CE3}"),
    BRW_IID_ROW(IEnumSearchRoots, L"{AB310581-AC80-11D1-8DF3-00C04FB6EF52}"),
    BRW_IID_ROW(ISearchScopeRule, L"{AB310581-AC80-11D1-8DF3-00C04FB6EF53}"),
    BRW_IID_ROW(IEnumSearchScopeRules, L"{AB310581-AC80-11D1-8DF3-00C04FB6EF54}"),
    BRW_IID_ROW(ISearchCrawlScopeManager, L"{AB310581-AC80-11D1-8DF3-00C04FB6EF55}"),
    BRW_IID_ROW(ISearchCrawlScopeManager2, L"{6292F7AD-4E19-4717-A534-8FC22BCD5CCD}"),
    BRW_IID_ROW(ISearchItemsChangedSink, L"{AB310581-AC80-11D1-8DF3-00C04FB6EF58}"),
    BRW_IID_ROW(ISearchPersistentItemsChangedSink, L"{A2FFDF9B-4758-4F84-B729-DF81A1A0612F}"),
    BRW_IID_ROW(ISearchViewChangedSink, L"{AB310581-AC80-11D1-8DF3-00C04FB6EF65}"),
    BRW_IID_ROW(ISearchNotifyInlineSite, L"{B5702E61-E75C-4B64-82A1-6CB4F832FCCF}"),
    BRW_IID_ROW(ISearchCatalogManager, L"{AB310581-AC80-11D1-8DF3-00C04FB6EF50}"),
    BRW_IID_ROW(ISearchCatalogManager2, L"{7AC3286D-4D1D-4817-84FC-C1C85E3AF0D9}"),
    BRW_IID_ROW(ISearchQueryHelper, L"{AB310581-AC80-11D1-8DF3-00C04FB6EF63}"),
    BRW_IID_ROW(ISearchManager, L"{AB310581-AC80-11D1-8DF3-00C04FB6EF69}"),
    BRW_IID_ROW(ISearchManager2, L"{DBAB3F73-DB19-4A79-BFC0-A61A93886DDF}"),
    BRW_CLSID_ROW(CSearchManager, L"{7D096C5F-AC08-4F1F-BEB7-5C22C517CE39}"),
    BRW_CLSID_ROW(CSearchRoot, L"{30766BD2-EA1C-4F28-BF27-0B44E2F68DB7}"),
};

class SearchIds : public testing::TestWithParam<IdRow> {};

TEST_P(SearchIds, MatchPublishedValueAndUuidof)
{
    const IdRow &row = GetParam();
    GUID parsed = {};
    ASSERT_EQ(S_OK, IIDFromString(row.published, &parsed));
    EXPECT_TRUE(IsEqualGUID(parsed, *row.constant)) << GuidText(*row.constant);
    EXPECT_TRUE(IsEqualGUID(parsed, *row.uuidof)) << GuidText(*row.uuidof);
}

INSTANTIATE_TEST_SUITE_P(All, SearchIds, testing::ValuesIn(kIds), RowName<IdRow>);

// Most of the administration family differs in its last byte; a copied
// line with the byte left unchanged would still be a valid GUID.
TEST(SearchIdsTogether, AreAllDifferent)
{
    std::set<std::wstring> seen;
    for (const IdRow &row : kIds)
        EXPECT_TRUE(seen.insert(GuidText(*row.constant)).second) << row.name;
}

// --- Vtable slots and structure layouts -----------------------------------

// Under the Itanium C++ ABI that GCC uses for mingw-w64, a pointer to a
// virtual member function holds 1 + the byte offset of its vtable entry; a
// non-virtual one holds an (even) code address, reported as no slot.
template <class M>
size_t VtableSlot(M pmf)
{
    static_assert(std::is_member_function_pointer<M>::value, "a member function pointer");
    uintptr_t word = 0;
    std::memcpy(&word, &pmf, sizeof word);
    return (word & 1) ? static_cast<size_t>((word - 1) / sizeof(void *)) : SIZE_MAX;
}

constexpr size_t Arch(size_t x64, size_t x86) { return sizeof(void *) == 8 ? x64 : x86; }

struct NumberRow {
    const char *name;
    size_t actual;
    size_t expected;
};
void PrintTo(const NumberRow &row, std::ostream *os) { *os << row.name; }

#define BRW_SLOT(type, method, slot) {#type "_" #method, VtableSlot(&type::method), slot}
#define BRW_SIZE(type, x64, x86) {#type "_size", sizeof(type), Arch(x64, x86)}
#define BRW_FIELD(type, field, x64, x86) {#type "_" #field, offsetof(type, field), Arch(x64, x86)}

// The first and last method of every interface, and the places where the
// platform's order is easy to get wrong (a getter before its setter, a
// method whose documented argument order differs from the header's).
const NumberRow kSlots[] = {
    // If these fail the trick above no longer holds, and nothing else here means anything.
    BRW_SLOT(IUnknown, AddRef, 1), BRW_SLOT(IUnknown, Release, 2),
    BRW_SLOT(IUrlAccessor, AddRequestParameter, 3), BRW_SLOT(IUrlAccessor, GetSecurityDescriptor, 11),
    BRW_SLOT(IUrlAccessor, BindToFilter, 15),
    BRW_SLOT(IUrlAccessor2, GetDisplayUrl, 16), BRW_SLOT(IUrlAccessor2, GetCodePage, 18),
    BRW_SLOT(IUrlAccessor3, GetImpersonationSidBlobs, 19),
    BRW_SLOT(IUrlAccessor4, ShouldIndexItemContent, 20), BRW_SLOT(IUrlAccessor4, ShouldIndexProperty, 21),
    BRW_SLOT(IOpLockStatus, IsOplockValid, 3), BRW_SLOT(IOpLockStatus, GetOplockEventHandle, 5),
    BRW_SLOT(ISearchProtocolThreadContext, ThreadInit, 3), BRW_SLOT(ISearchProtocolThreadContext, ThreadIdle, 5),
    BRW_SLOT(ISearchProtocol, Init, 3), BRW_SLOT(ISearchProtocol, ShutDown, 6),
    BRW_SLOT(ISearchProtocol2, CreateAccessorEx, 7),
    BRW_SLOT(IProtocolHandlerSite, GetFilter, 3),
    BRW_SLOT(ISearchRoot, put_Schedule, 3), BRW_SLOT(ISearchRoot, put_RootURL, 5),
    BRW_SLOT(ISearchRoot, get_RootURL, 6), BRW_SLOT(ISearchRoot, get_Password, 24),
    BRW_SLOT(IEnumSearchRoots, Next, 3), BRW_SLOT(IEnumSearchRoots, Clone, 6),
    BRW_SLOT(ISearchScopeRule, get_PatternOrURL, 3), BRW_SLOT(ISearchScopeRule, get_FollowFlags, 6),
    BRW_SLOT(IEnumSearchScopeRules, Next, 3), BRW_SLOT(IEnumSearchScopeRules, Clone, 6),
    BRW_SLOT(ISearchCrawlScopeManager, AddDefaultScopeRule, 3), BRW_SLOT(ISearchCrawlScopeManager, SaveAll, 16),
    BRW_SLOT(ISearchCrawlScopeManager, RemoveDefaultScopeRule, 18),
    BRW_SLOT(ISearchCrawlScopeManager2, GetVersion, 19),
    BRW_SLOT(ISearchItemsChangedSink, StartedMonitoringScope, 3), BRW_SLOT(ISearchItemsChangedSink, OnItemsChanged, 5),
    BRW_SLOT(ISearchPersistentItemsChangedSink, StartedMonitoringScope, 3),
    BRW_SLOT(ISearchPersistentItemsChangedSink, OnItemsChanged, 5),
    BRW_SLOT(ISearchViewChangedSink, OnChange, 3),
    BRW_SLOT(ISearchNotifyInlineSite, OnItemIndexedStatusChange, 3),
    BRW_SLOT(ISearchNotifyInlineSite, OnCatalogStatusChange, 4),
    BRW_SLOT(ISearchCatalogManager, get_Name, 3), BRW_SLOT(ISearchCatalogManager, GetItemsChangedSink, 21),
    BRW_SLOT(ISearchCatalogManager, GetCrawlScopeManager, 28),
    BRW_SLOT(ISearchCatalogManager2, PrioritizeMatchingURLs, 29),
    BRW_SLOT(ISearchManager, GetIndexerVersionStr, 3), BRW_SLOT(ISearchManager, get_UserAgent, 11),
    BRW_SLOT(ISearchManager, put_UserAgent, 12), BRW_SLOT(ISearchManager, get_PortNumber, 15),
    BRW_SLOT(ISearchManager2, CreateCatalog, 16), BRW_SLOT(ISearchManager2, DeleteCatalog, 17),
};

const NumberRow kLayouts[] = {
    BRW_SIZE(TIMEOUT_INFO, 12, 12), BRW_FIELD(TIMEOUT_INFO, dwDataTimeout, 8, 8),
    BRW_SIZE(PROXY_INFO, 48, 28), BRW_FIELD(PROXY_INFO, pcwszUserAgent, 8, 4),
    BRW_FIELD(PROXY_INFO, paUseProxy, 16, 8), BRW_FIELD(PROXY_INFO, dwPortNumber, 24, 16),
    BRW_FIELD(PROXY_INFO, pcwszProxyName, 32, 20), BRW_FIELD(PROXY_INFO, pcwszBypassList, 40, 24),
    BRW_SIZE(AUTHENTICATION_INFO, 24, 16), BRW_FIELD(AUTHENTICATION_INFO, pcwszUser, 8, 8),
    BRW_FIELD(AUTHENTICATION_INFO, pcwszPassword, 16, 12),
    BRW_SIZE(INCREMENTAL_ACCESS_INFO, 12, 12), BRW_FIELD(INCREMENTAL_ACCESS_INFO, ftLastModifiedTime, 4, 4),
    BRW_SIZE(ITEM_INFO, 40, 20), BRW_FIELD(ITEM_INFO, pcwszFromEMail, 8, 4),
    BRW_FIELD(ITEM_INFO, pcwszCatalogName, 24, 12), BRW_FIELD(ITEM_INFO, pcwszContentClass, 32, 16),
    BRW_SIZE(SEARCH_ITEM_CHANGE, 32, 20), BRW_FIELD(SEARCH_ITEM_CHANGE, Priority, 4, 4),
    BRW_FIELD(SEARCH_ITEM_CHANGE, pUserData, 8, 8), BRW_FIELD(SEARCH_ITEM_CHANGE, lpwszURL, 16, 12),
    BRW_FIELD(SEARCH_ITEM_CHANGE, lpwszOldURL, 24, 16),
    BRW_SIZE(SEARCH_ITEM_PERSISTENT_CHANGE, 32, 16), BRW_FIELD(SEARCH_ITEM_PERSISTENT_CHANGE, URL, 8, 4),
    BRW_FIELD(SEARCH_ITEM_PERSISTENT_CHANGE, Priority, 24, 12),
    BRW_SIZE(SEARCH_ITEM_INDEXING_STATUS, 8, 8), BRW_FIELD(SEARCH_ITEM_INDEXING_STATUS, hrIndexingStatus, 4, 4),
};

class VtableSlots : public testing::TestWithParam<NumberRow> {};
class StructureLayout : public testing::TestWithParam<NumberRow> {};

TEST_P(VtableSlots, MatchPlatformOrder) { EXPECT_EQ(GetParam().expected, GetParam().actual); }
TEST_P(StructureLayout, MatchesPlatform) { EXPECT_EQ(GetParam().expected, GetParam().actual); }

INSTANTIATE_TEST_SUITE_P(All, VtableSlots, testing::ValuesIn(kSlots), RowName<NumberRow>);
INSTANTIATE_TEST_SUITE_P(All, StructureLayout, testing::ValuesIn(kLayouts), RowName<NumberRow>);

// --- Calls as a foreign caller makes them ---------------------------------
//
// Windows' host knows only the binary contract: slot number, __stdcall on
// x86 with `this` first on the stack, arguments in the published order.
// These tests call our declarations through pointers typed from that
// contract alone, so a swapped argument or a missing STDMETHODCALLTYPE (GCC
// would use thiscall on x86) shows up as a wrong value.

template <class Fn>
Fn RawMethod(IUnknown *object, size_t slot)
{
    void **vtable = *reinterpret_cast<void ***>(object);
    Fn fn = nullptr;
    std::memcpy(&fn, &vtable[slot], sizeof fn);
    return fn;
}

// Lives on one test's stack and is never handed out, so nothing is counted.
template <class I>
struct StackObject : I {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **ppv) override { *ppv = nullptr; return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

struct RecordingProtocol : StackObject<ISearchProtocol2> {
    const void *seen[5] = {};

    HRESULT STDMETHODCALLTYPE Init(TIMEOUT_INFO *, IProtocolHandlerSite *, PROXY_INFO *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateAccessor(LPCWSTR, AUTHENTICATION_INFO *, INCREMENTAL_ACCESS_INFO *, ITEM_INFO *, IUrlAccessor **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CloseAccessor(IUrlAccessor *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ShutDown() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateAccessorEx(LPCWSTR pcwszURL, AUTHENTICATION_INFO *pAuthenticationInfo, INCREMENTAL_ACCESS_INFO *pIncrementalAccessInfo, ITEM_INFO *pItemInfo, const BLOB *pUserData, IUrlAccessor **ppAccessor) override
    {
        const void *args[5] = {pcwszURL, pAuthenticationInfo, pIncrementalAccessInfo, pItemInfo, pUserData};
        std::memcpy(seen, args, sizeof seen);
        *ppAccessor = nullptr;
        return PRTH_S_NOT_MODIFIED;
    }
};

TEST(ForeignCalls, CreateAccessorExReceivesArgumentsInPublishedOrder)
{
    using Raw = HRESULT(STDMETHODCALLTYPE *)(void *, const wchar_t *, void *, void *, void *, const void *, void **);
    RecordingProtocol protocol;
    AUTHENTICATION_INFO auth = {};
    INCREMENTAL_ACCESS_INFO incremental = {};
    ITEM_INFO item = {};
    BLOB userData = {};
    const wchar_t url[] = L"brw://example/item";
    void *accessor = &userData; // poisoned: must come back NULL

    EXPECT_EQ(PRTH_S_NOT_MODIFIED, RawMethod<Raw>(&protocol, 7)(static_cast<ISearchProtocol2 *>(&protocol), url, &auth, &incremental, &item, &userData, &accessor));
    const void *expected[5] = {url, &auth, &incremental, &item, &userData};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(expected[i], protocol.seen[i]) << "argument " << i + 1;
    EXPECT_EQ(nullptr, accessor);
}

// Accepts brw: URLs and refuses the rest, as the indexer refuses a URL
// outside its scope.
struct ScopeSink : StackObject<ISearchItemsChangedSink> {
    HRESULT STDMETHODCALLTYPE StartedMonitoringScope(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE StoppedMonitoringScope(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnItemsChanged(DWORD dwNumberOfChanges, SEARCH_ITEM_CHANGE rgDataChangeEntries[], DWORD rgdwDocIds[], HRESULT rghrCompletionCodes[]) override
    {
        for (DWORD i = 0; i < dwNumberOfChanges; ++i) {
            const bool ours = std::wcsncmp(rgDataChangeEntries[i].lpwszURL, L"brw:", 4) == 0;
            rgdwDocIds[i] = ours ? 100 + i : 0;
            rghrCompletionCodes[i] = ours ? S_OK : GTHR_E_URL_EXCLUDED;
        }
        return S_OK;
    }
};

TEST(ForeignCalls, OnItemsChangedFillsTheCallersArrays)
{
    using Raw = HRESULT(STDMETHODCALLTYPE *)(void *, DWORD, void *, DWORD *, HRESULT *);
    ScopeSink sink;
    wchar_t inScope[] = L"brw://db/1";
    wchar_t outOfScope[] = L"file:///c:/x";
    SEARCH_ITEM_CHANGE changes[2] = {
        {SEARCH_CHANGE_MODIFY, SEARCH_HIGH_PRIORITY, nullptr, inScope, nullptr},
        {SEARCH_CHANGE_ADD, SEARCH_NORMAL_PRIORITY, nullptr, outOfScope, nullptr},
    };
    DWORD docIds[2] = {0xdeadbeef, 0xdeadbeef};
    HRESULT codes[2] = {E_UNEXPECTED, E_UNEXPECTED};

    EXPECT_EQ(S_OK, RawMethod<Raw>(&sink, 5)(static_cast<ISearchItemsChangedSink *>(&sink), 2, changes, docIds, codes));
    EXPECT_EQ(100u, docIds[0]);
    EXPECT_EQ(S_OK, codes[0]);
    EXPECT_EQ(0u, docIds[1]);
    EXPECT_EQ(GTHR_E_URL_EXCLUDED, codes[1]);
}

// --- Values ---------------------------------------------------------------

// A change is decoded as one kind plus flags, so the flags must stay clear
// of the kinds' bits and of each other.
TEST(ChangeKinds, SemanticFlagsAreSeparateBits)
{
    const DWORD flags[] = {SEARCH_CHANGE_SEMANTICS_DIRECTORY, SEARCH_CHANGE_SEMANTICS_SHALLOW, SEARCH_CHANGE_SEMANTICS_UPDATE_SECURITY};
    const DWORD published[] = {0x40000, 0x80000, 0x400000};
    DWORD seen = SEARCH_CHANGE_ADD | SEARCH_CHANGE_DELETE | SEARCH_CHANGE_MODIFY | SEARCH_CHANGE_MOVE_RENAME;
    EXPECT_EQ(3u, seen);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(published[i], flags[i]);
        EXPECT_EQ(0u, seen & flags[i]) << std::hex << flags[i];
        seen |= flags[i];
    }
}

struct ResultRow {
    const char *name;
    HRESULT value;
};

#define BRW_RESULT(code) {#code, code}

// Every protocol-handler code and the gatherer codes that a handler, the
// stand-in indexer or a notification client produces or acts on.
const ResultRow kResults[] = {
    BRW_RESULT(PRTH_E_COMM_ERROR), BRW_RESULT(PRTH_E_OBJ_NOT_FOUND), BRW_RESULT(PRTH_E_REQUEST_ERROR),
    BRW_RESULT(PRTH_S_NOT_MODIFIED), BRW_RESULT(PRTH_E_INTERNAL_ERROR), BRW_RESULT(PRTH_E_ACCESS_DENIED),
    BRW_RESULT(PRTH_E_SERVER_ERROR), BRW_RESULT(PRTH_E_NOT_REDIRECTED), BRW_RESULT(PRTH_E_BAD_REQUEST),
    BRW_RESULT(PRTH_E_HTTP_CANNOT_CONNECT), BRW_RESULT(PRTH_S_MAX_GROWTH), BRW_RESULT(PRTH_E_WININET),
    BRW_RESULT(PRTH_E_RETRY), BRW_RESULT(PRTH_S_MAX_DOWNLOAD), BRW_RESULT(PRTH_E_MIME_EXCLUDED),
    BRW_RESULT(PRTH_E_CANT_TRANSFORM_EXTERNAL_ACL), BRW_RESULT(PRTH_E_CANT_TRANSFORM_DENIED_ACE),
    BRW_RESULT(PRTH_S_ACL_IS_READ_EVERYONE), BRW_RESULT(PRTH_E_ACL_IS_READ_NONE), BRW_RESULT(PRTH_E_ACL_TOO_BIG),
    BRW_RESULT(PRTH_E_NO_PROPERTY), BRW_RESULT(PRTH_S_USE_ROSEBUD), BRW_RESULT(PRTH_E_DATABASE_OPEN_ERROR),
    BRW_RESULT(PRTH_E_OPLOCK_BROKEN), BRW_RESULT(PRTH_E_LOAD_FAILED), BRW_RESULT(PRTH_E_INIT_FAILED),
    BRW_RESULT(PRTH_E_VOLUME_MOUNT_POINT), BRW_RESULT(PRTH_E_TRUNCATED), BRW_RESULT(PRTH_S_NOT_ALL_PARTS),
    BRW_RESULT(PRTH_E_HTTPS_CERTIFICATE_ERROR), BRW_RESULT(PRTH_E_HTTPS_REQUIRE_CERTIFICATE),
    BRW_RESULT(PRTH_S_TRY_IMPERSONATING), BRW_RESULT(GTHR_E_LOCAL_GROUPS_EXPANSION_INTERNAL_ERROR),
    BRW_RESULT(GTHR_E_ERROR_OBJECT_NOT_FOUND), BRW_RESULT(GTHR_E_URL_EXCLUDED), BRW_RESULT(GTHR_E_DUPLICATE_URL),
    BRW_RESULT(GTHR_E_FILTER_NOT_FOUND), BRW_RESULT(GTHR_E_UNKNOWN_PROTOCOL), BRW_RESULT(GTHR_E_SHUTTING_DOWN),
    BRW_RESULT(GTHR_S_END_STD_CHUNKS), BRW_RESULT(GTHR_S_CANNOT_FILTER), BRW_RESULT(GTHR_E_NO_PRTCLHNLR),
    BRW_RESULT(GTHR_S_PROB_NOT_MODIFIED), BRW_RESULT(GTHR_S_NOT_ALL_PARTS), BRW_RESULT(GTHR_E_TIMEOUT),
    BRW_RESULT(GTHR_E_NOTIFICATION_TYPE_NOT_SUPPORTED), BRW_RESULT(GTHR_E_NOTIF_BEING_REMOVED),
    BRW_RESULT(GTHR_E_PIPE_NOT_CONNECTTED), BRW_RESULT(GTHR_S_STATUS_PAUSE), BRW_RESULT(GHTR_E_LOCAL_SERVER_UNAVAILABLE),
    BRW_RESULT(GTHR_E_NTF_CLIENT_NOT_SUBSCRIBED),
};

// A code whose severity disagrees with its name turns a skipped item into a
// lost one, silently; so check every row, with its facility and range.
TEST(ResultCodes, SeverityFacilityAndRangeAgreeWithTheName)
{
    std::set<HRESULT> seen;
    for (const ResultRow &row : kResults) {
        SCOPED_TRACE(row.name);
        const std::string name = row.name;
        const unsigned range = HRESULT_CODE(row.value) & 0xFF00u;
        EXPECT_EQ(FACILITY_ITF, HRESULT_FACILITY(row.value));
        EXPECT_EQ(name.find("_S_") != std::string::npos, SUCCEEDED(row.value));
        if (name.compare(0, 5, "PRTH_") == 0)
            EXPECT_EQ(0x1200u, range);
        else
            EXPECT_TRUE(range == 0x0D00u || range == 0x1200u);
        EXPECT_TRUE(seen.insert(row.value).second) << "value shared with another row";
    }
}

// The numbers the product itself returns or branches on.
TEST(ResultCodes, ThoseTheProductActsOnHaveTheirPublishedValues)
{
    EXPECT_EQ(static_cast<HRESULT>(0x00041203), PRTH_S_NOT_MODIFIED);
    EXPECT_EQ(static_cast<HRESULT>(0x80041201), PRTH_E_OBJ_NOT_FOUND);
    EXPECT_EQ(static_cast<HRESULT>(0x80041205), PRTH_E_ACCESS_DENIED);
    EXPECT_EQ(static_cast<HRESULT>(0x00041210), PRTH_S_ACL_IS_READ_EVERYONE);
    EXPECT_EQ(static_cast<HRESULT>(0x0004121B), PRTH_S_NOT_ALL_PARTS);
    EXPECT_EQ(static_cast<HRESULT>(0x80040D07), GTHR_E_URL_EXCLUDED);
    EXPECT_EQ(static_cast<HRESULT>(0xC0040DB9), GTHR_E_NTF_CLIENT_NOT_SUBSCRIBED);
}

} // namespace
