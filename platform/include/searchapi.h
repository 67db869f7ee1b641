// Windows Search interfaces for mingw-w64, which ships no searchapi.h.
//
// Both sides of every interface here are ours in tests (the product's
// protocol handler and notification client, the stand-in indexer), but on a
// user's machine the other side is Microsoft's SearchIndexer and
// SearchProtocolHost. So nothing here is a design choice: the vtable order,
// the argument types, STDMETHODCALLTYPE, the structure layouts and every
// GUID and value are the platform's, and a mistake shows only on Windows, as
// a crash or a silently unindexed item. searchapi_test checks them.
//
// Interface ids. Each IID_/CLSID_ constant is a definition, not a
// declaration: `EXTERN_C const IID DECLSPEC_SELECTANY`, emitted as a COMDAT in
// every translation unit that includes this header, of which the linker keeps
// one. So there is no .cpp to link and no library to list, and INITGUID makes
// no difference, because nothing here goes through DEFINE_GUID (whose meaning
// flips with INITGUID). mingw-w64's libuuid defines none of these names; if a
// later one does, our definition already satisfies the reference and the
// archive member is never pulled in. The same macro also attaches the GUID
// to the type with __CRT_UUID_DECL, so __uuidof(ISearchRoot) and
// IID_PPV_ARGS work and cannot disagree with IID_ISearchRoot.
//
// Structures are declared under pack(8), the packing the SDK compiles them
// with, so an includer's #pragma pack cannot change their layout.
//
// Beyond the interfaces the product uses, this declares those their methods
// hand out (the persistent and view sinks, the version-2 managers), so that
// the stand-in can implement or refuse them by IID like the real service.
// ISearchQueryHelper is only declared: the product never queries through it.
// The HRESULTs of the protocol-handler and gatherer ranges come from
// windowssearcherrors.h, included below.

#ifndef BRW_PLATFORM_SEARCHAPI_H
#define BRW_PLATFORM_SEARCHAPI_H

#ifndef __cplusplus
#error "searchapi.h declares the interfaces as C++ classes only"
#endif

#include <windows.h>
#include <unknwn.h>
#include <objidl.h>
#include <propidl.h>
#include <filter.h>
#include <propkeydef.h>

#include "windowssearcherrors.h"

#pragma pack(push, 8)

// ---------------------------------------------------------------------------
// Identifiers
// ---------------------------------------------------------------------------

struct IUrlAccessor;
struct IUrlAccessor2;
struct IUrlAccessor3;
struct IUrlAccessor4;
struct IOpLockStatus;
struct ISearchProtocolThreadContext;
struct ISearchProtocol;
struct ISearchProtocol2;
struct IProtocolHandlerSite;
struct ISearchRoot;
struct IEnumSearchRoots;
struct ISearchScopeRule;
struct IEnumSearchScopeRules;
struct ISearchCrawlScopeManager;
struct ISearchCrawlScopeManager2;
struct ISearchItemsChangedSink;
struct ISearchPersistentItemsChangedSink;
struct ISearchViewChangedSink;
struct ISearchNotifyInlineSite;
struct ISearchCatalogManager;
struct ISearchCatalogManager2;
struct ISearchQueryHelper;
struct ISearchManager;
struct ISearchManager2;
class CSearchManager;
class CSearchRoot;

// One list of numbers per type feeds both the named constant and __uuidof.
#define BRW_SEARCH_GUID_(kind, type, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
    __CRT_UUID_DECL(type, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8)            \
    EXTERN_C const GUID DECLSPEC_SELECTANY kind##_##type =                      \
        {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}

// The indexer's own protocol host loads handlers through these.
BRW_SEARCH_GUID_(IID, IUrlAccessor, 0x0b63e318, 0x9ccc, 0x11d0, 0xbc, 0xdb, 0x00, 0x80, 0x5f, 0xcc, 0xce, 0x04);
BRW_SEARCH_GUID_(IID, IUrlAccessor2, 0xc7310734, 0xac80, 0x11d1, 0x8d, 0xf3, 0x00, 0xc0, 0x4f, 0xb6, 0xef, 0x4f);
BRW_SEARCH_GUID_(IID, IUrlAccessor3, 0x6fbc7005, 0x0455, 0x4874, 0xb8, 0xff, 0x74, 0x39, 0x45, 0x02, 0x41, 0xa3);
BRW_SEARCH_GUID_(IID, IUrlAccessor4, 0x5cc51041, 0xc8d2, 0x41d7, 0xbc, 0xa3, 0x9e, 0x9e, 0x28, 0x62, 0x97, 0xdc);
BRW_SEARCH_GUID_(IID, IOpLockStatus, 0xc731065d, 0xac80, 0x11d1, 0x8d, 0xf3, 0x00, 0xc0, 0x4f, 0xb6, 0xef, 0x4f);
BRW_SEARCH_GUID_(IID, ISearchProtocolThreadContext, 0xc73106e1, 0xac80, 0x11d1, 0x8d, 0xf3, 0x00, 0xc0, 0x4f, 0xb6, 0xef, 0x4f);
BRW_SEARCH_GUID_(IID, ISearchProtocol, 0xc73106ba, 0xac80, 0x11d1, 0x8d, 0xf3, 0x00, 0xc0, 0x4f, 0xb6, 0xef, 0x4f);
BRW_SEARCH_GUID_(IID, ISearchProtocol2, 0x7789f0b2, 0xb5b2, 0x4722, 0x8b, 0x65, 0x5d, 0xbd, 0x15, 0x06, 0x97, 0xa9);
BRW_SEARCH_GUID_(IID, IProtocolHandlerSite, 0x0b63e385, 0x9ccc, 0x11d0, 0xbc, 0xdb, 0x00, 0x80, 0x5f, 0xcc, 0xce, 0x04);

// The administration side. Most of this family differs only in its last
// byte, which is why the test compares every one in full.
BRW_SEARCH_GUID_(IID, ISearchRoot, 0x04c18ccf, 0x1f57, 0x4cbd, 0x88, 0xcc, 0x39, 0x00, 0xf5, 0x19, 0x5c, 0xe3);
BRW_SEARCH_GUID_(IID, IEnumSearchRoots, 0xab310581, 0xac80, 0x11d1, 0x8d, 0xf3, 0x00, 0xc0, 0x4f, 0xb6, 0xef, 0x52);
BRW_SEARCH_GUID_(IID, ISearchScopeRule, 0xab310581, 0xac80, 0x11d1, 0x8d, 0xf3, 0x00, 0xc0, 0x4f, 0xb6, 0xef, 0x53);
BRW_SEARCH_GUID_(IID, IEnumSearchScopeRules, 0xab310581, 0xac80, 0x11d1, 0x8d, 0xf3, 0x00, 0xc0, 0x4f, 0xb6, 0xef, 0x54);
BRW_SEARCH_GUID_(IID, ISearchCrawlScopeManager, 0xab310581, 0xac80, 0x11d1, 0x8d, 0xf3, 0x00, 0xc0, 0x4f, 0xb6, 0xef, 0x55);
BRW_SEARCH_GUID_(IID, ISearchCrawlScopeManager2, 0x6292f7ad, 0x4e19, 0x4717, 0xa5, 0x34, 0x8f, 0xc2, 0x2b, 0xcd, 0x5c, 0xcd);
BRW_SEARCH_GUID_(IID, ISearchItemsChangedSink, 0xab310581, 0xac80, 0x11d1, 0x8d, 0xf3, 0x00, 0xc0, 0x4f, 0xb6, 0xef, 0x58);
BRW_SEARCH_GUID_(IID, ISearchPersistentItemsChangedSink, 0xa2ffdf9b, 0x4758, 0x4f84, 0xb7, 0x29, 0xdf, 0x81, 0xa1, 0xa0, 0x61, 0x2f);
BRW_SEARCH_GUID_(IID, ISearchViewChangedSink, 0xab310581, 0xac80, 0x11d1, 0x8d, 0xf3, 0x00, 0xc0, 0x4f, 0xb6, 0xef, 0x65);
BRW_SEARCH_GUID_(IID, ISearchNotifyInlineSite, 0xb5702e61, 0xe75c, 0x4b64, 0x82, 0xa1, 0x6c, 0xb4, 0xf8, 0x32, 0xfc, 0xcf);
BRW_SEARCH_GUID_(IID, ISearchCatalogManager, 0xab310581, 0xac80, 0x11d1, 0x8d, 0xf3, 0x00, 0xc0, 0x4f, 0xb6, 0xef, 0x50);
BRW_SEARCH_GUID_(IID, ISearchCatalogManager2, 0x7ac3286d, 0x4d1d, 0x4817, 0x84, 0xfc, 0xc1, 0xc8, 0x5e, 0x3a, 0xf0, 0xd9);
BRW_SEARCH_GUID_(IID, ISearchQueryHelper, 0xab310581, 0xac80, 0x11d1, 0x8d, 0xf3, 0x00, 0xc0, 0x4f, 0xb6, 0xef, 0x63);
BRW_SEARCH_GUID_(IID, ISearchManager, 0xab310581, 0xac80, 0x11d1, 0x8d, 0xf3, 0x00, 0xc0, 0x4f, 0xb6, 0xef, 0x69);
BRW_SEARCH_GUID_(IID, ISearchManager2, 0xdbab3f73, 0xdb19, 0x4a79, 0xbf, 0xc0, 0xa6, 0x1a, 0x93, 0x88, 0x6d, 0xdf);

// The two classes a client creates. On Windows they live in the search
// service's process; the stand-in registers the same ids.
BRW_SEARCH_GUID_(CLSID, CSearchManager, 0x7d096c5f, 0xac08, 0x4f1f, 0xbe, 0xb7, 0x5c, 0x22, 0xc5, 0x17, 0xce, 0x39);
BRW_SEARCH_GUID_(CLSID, CSearchRoot, 0x30766bd2, 0xea1c, 0x4f28, 0xbf, 0x27, 0x0b, 0x44, 0xe2, 0xf6, 0x8d, 0xb7);

#undef BRW_SEARCH_GUID_

// ---------------------------------------------------------------------------
// Enumerations. All are int-sized, as the structures below rely on.
// ---------------------------------------------------------------------------

enum PROXY_ACCESS {
    PROXY_ACCESS_PRECONFIG = 0,
    PROXY_ACCESS_DIRECT = 1,
    PROXY_ACCESS_PROXY = 2,
};

enum AUTH_TYPE {
    eAUTH_TYPE_ANONYMOUS = 0,
    eAUTH_TYPE_NTLM = 1,
    eAUTH_TYPE_BASIC = 2,
};

// One of ADD, DELETE, MODIFY or MOVE_RENAME, optionally OR-ed with the
// SEMANTICS flags. There are no C++ operators for the OR, as in the SDK:
// combine with a cast so the same code builds against either header.
enum SEARCH_KIND_OF_CHANGE {
    SEARCH_CHANGE_ADD = 0,
    SEARCH_CHANGE_DELETE = 1,
    SEARCH_CHANGE_MODIFY = 2,
    SEARCH_CHANGE_MOVE_RENAME = 3,
    SEARCH_CHANGE_SEMANTICS_DIRECTORY = 0x40000,
    SEARCH_CHANGE_SEMANTICS_SHALLOW = 0x80000,
    SEARCH_CHANGE_SEMANTICS_UPDATE_SECURITY = 0x400000,
};

enum SEARCH_NOTIFICATION_PRIORITY {
    SEARCH_NORMAL_PRIORITY = 0,
    SEARCH_HIGH_PRIORITY = 1,
};

enum SEARCH_INDEXING_PHASE {
    SEARCH_INDEXING_PHASE_GATHERER = 0,
    SEARCH_INDEXING_PHASE_QUERYABLE = 1,
    SEARCH_INDEXING_PHASE_PERSISTED = 2,
};

enum CatalogStatus {
    CATALOG_STATUS_IDLE = 0,
    CATALOG_STATUS_PAUSED = 1,
    CATALOG_STATUS_RECOVERING = 2,
    CATALOG_STATUS_FULL_CRAWL = 3,
    CATALOG_STATUS_INCREMENTAL_CRAWL = 4,
    CATALOG_STATUS_PROCESSING_NOTIFICATIONS = 5,
    CATALOG_STATUS_SHUTTING_DOWN = 6,
};

// Meaningful only while the status is CATALOG_STATUS_PAUSED.
enum CatalogPausedReason {
    CATALOG_PAUSED_REASON_NONE = 0,
    CATALOG_PAUSED_REASON_HIGH_IO = 1,
    CATALOG_PAUSED_REASON_HIGH_CPU = 2,
    CATALOG_PAUSED_REASON_HIGH_NTF_RATE = 3,
    CATALOG_PAUSED_REASON_LOW_BATTERY = 4,
    CATALOG_PAUSED_REASON_LOW_MEMORY = 5,
    CATALOG_PAUSED_REASON_LOW_DISK = 6,
    CATALOG_PAUSED_REASON_DELAYED_RECOVERY = 7,
    CATALOG_PAUSED_REASON_USER_ACTIVE = 8,
    CATALOG_PAUSED_REASON_EXTERNAL = 9,
    CATALOG_PAUSED_REASON_UPGRADING = 10,
};

// The crawl-scope methods take these as a DWORD, not as the enum.
enum FOLLOW_FLAGS {
    FF_INDEXCOMPLEXURLS = 0x1,
    FF_SUPPRESSINDEXING = 0x2,
};

enum CLUSION_REASON {
    CLUSIONREASON_UNKNOWNSCOPE = 0,
    CLUSIONREASON_DEFAULT = 1,
    CLUSIONREASON_USER = 2,
    CLUSIONREASON_GROUPPOLICY = 3,
};

// A plain int in the method signature; the enum only names its bits.
// IGNOREFAILURECOUNT means something only together with RETRYFAILEDITEMS.
typedef int PRIORITIZE_FLAGS;
enum tagPRIORITIZE_FLAGS {
    PRIORITIZE_FLAG_RETRYFAILEDITEMS = 0x1,
    PRIORITIZE_FLAG_IGNOREFAILURECOUNT = 0x2,
};

typedef LONG ITEMID;

// ---------------------------------------------------------------------------
// Structures. Every dwSize field holds sizeof the structure, which is how
// the host tells versions apart, so the layout must be exactly the SDK's.
// ---------------------------------------------------------------------------

// Timeouts are in seconds.
struct TIMEOUT_INFO {
    DWORD dwSize;
    DWORD dwConnectTimeout;
    DWORD dwDataTimeout;
};

struct PROXY_INFO {
    DWORD dwSize;
    LPCWSTR pcwszUserAgent;
    PROXY_ACCESS paUseProxy;
    BOOL fLocalBypass;
    DWORD dwPortNumber;
    LPCWSTR pcwszProxyName;
    LPCWSTR pcwszBypassList;
};

struct AUTHENTICATION_INFO {
    DWORD dwSize;
    AUTH_TYPE atAuthenticationType;
    LPCWSTR pcwszUser;
    LPCWSTR pcwszPassword;
};

// FILETIME is two DWORDs, so it follows dwSize at offset 4 in both
// architectures: the structure is 12 bytes, not 16.
struct INCREMENTAL_ACCESS_INFO {
    DWORD dwSize;
    FILETIME ftLastModifiedTime;
};

struct ITEM_INFO {
    DWORD dwSize;
    LPCWSTR pcwszFromEMail;
    LPCWSTR pcwszApplicationName;
    LPCWSTR pcwszCatalogName;
    LPCWSTR pcwszContentClass;
};

// lpwszURL is the new URL of a move; lpwszOldURL is NULL unless the change
// is a move (or, by some documentation, a delete).
struct SEARCH_ITEM_CHANGE {
    SEARCH_KIND_OF_CHANGE Change;
    SEARCH_NOTIFICATION_PRIORITY Priority;
    BLOB *pUserData;
    LPWSTR lpwszURL;
    LPWSTR lpwszOldURL;
};

// Not SEARCH_ITEM_CHANGE with fewer fields: Priority moved to the end.
struct SEARCH_ITEM_PERSISTENT_CHANGE {
    SEARCH_KIND_OF_CHANGE Change;
    LPWSTR URL;
    LPWSTR OldURL;
    SEARCH_NOTIFICATION_PRIORITY Priority;
};

struct SEARCH_ITEM_INDEXING_STATUS {
    DWORD dwDocID;
    HRESULT hrIndexingStatus;
};

// ---------------------------------------------------------------------------
// Protocol handler interfaces
//
// The string getters of IUrlAccessor fill a caller's array of dwSize WCHARs
// and report the length without the terminating null in *pdwLength.
// GetSecurityDescriptor has the same shape in bytes; note that its buffer
// comes first, whatever older documentation shows.
// ---------------------------------------------------------------------------

struct IUrlAccessor : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddRequestParameter(PROPSPEC *pProperty, PROPVARIANT *pValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDocFormat(WCHAR wszDocFormat[], DWORD dwSize, DWORD *pdwLength) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCLSID(CLSID *pClsid) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHost(WCHAR wszHost[], DWORD dwSize, DWORD *pdwLength) = 0;
    // S_OK for a container, S_FALSE for a document.
    virtual HRESULT STDMETHODCALLTYPE IsDirectory() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSize(ULONGLONG *pllSize) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetLastModified(FILETIME *pftLastModified) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFileName(WCHAR wszFileName[], DWORD dwSize, DWORD *pdwLength) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSecurityDescriptor(BYTE *pSD, DWORD dwSize, DWORD *pdwLength) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRedirectedURL(WCHAR wszRedirectedURL[], DWORD dwSize, DWORD *pdwLength) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSecurityProvider(CLSID *pSPClsid) = 0;
    virtual HRESULT STDMETHODCALLTYPE BindToStream(IStream **ppStream) = 0;
    virtual HRESULT STDMETHODCALLTYPE BindToFilter(IFilter **ppFilter) = 0;
};

struct IUrlAccessor2 : public IUrlAccessor {
    virtual HRESULT STDMETHODCALLTYPE GetDisplayUrl(WCHAR wszDocUrl[], DWORD dwSize, DWORD *pdwLength) = 0;
    // The opposite sense of IsDirectory: S_OK for a document, S_FALSE for a
    // container.
    virtual HRESULT STDMETHODCALLTYPE IsDocument() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCodePage(WCHAR wszCodePage[], DWORD dwSize, DWORD *pdwLength) = 0;
};

struct IUrlAccessor3 : public IUrlAccessor2 {
    virtual HRESULT STDMETHODCALLTYPE GetImpersonationSidBlobs(LPCWSTR pcwszURL, DWORD *pcSidCount, BLOB **ppSidBlobs) = 0;
};

struct IUrlAccessor4 : public IUrlAccessor3 {
    virtual HRESULT STDMETHODCALLTYPE ShouldIndexItemContent(BOOL *pfIndexContent) = 0;
    virtual HRESULT STDMETHODCALLTYPE ShouldIndexProperty(REFPROPERTYKEY key, BOOL *pfIndexProperty) = 0;
};

// Offered by an accessor that holds an oplock on its item; the host stops
// using the accessor once the event is signalled.
struct IOpLockStatus : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE IsOplockValid(BOOL *pfIsOplockValid) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsOplockBroken(BOOL *pfIsOplockBroken) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetOplockEventHandle(HANDLE *phOplockEv) = 0;
};

// Optional, on the handler object; called on each of the host's filtering
// threads. The parameter name's spelling is the SDK's.
struct ISearchProtocolThreadContext : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE ThreadInit() = 0;
    virtual HRESULT STDMETHODCALLTYPE ThreadShutdown() = 0;
    virtual HRESULT STDMETHODCALLTYPE ThreadIdle(DWORD dwTimeElaspedSinceLastCallInMS) = 0;
};

// Implemented by the host: finds a filter for an embedded document. Of the
// three keys the content type wins, then the CLSID, then the extension
// (given without its dot).
struct IProtocolHandlerSite : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetFilter(CLSID *pclsidObj, LPCWSTR pcwszContentType, LPCWSTR pcwszExtension, IFilter **ppFilter) = 0;
};

struct ISearchProtocol : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Init(TIMEOUT_INFO *pTimeoutInfo, IProtocolHandlerSite *pProtocolHandlerSite, PROXY_INFO *pProxyInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateAccessor(LPCWSTR pcwszURL, AUTHENTICATION_INFO *pAuthenticationInfo, INCREMENTAL_ACCESS_INFO *pIncrementalAccessInfo, ITEM_INFO *pItemInfo, IUrlAccessor **ppAccessor) = 0;
    virtual HRESULT STDMETHODCALLTYPE CloseAccessor(IUrlAccessor *pAccessor) = 0;
    virtual HRESULT STDMETHODCALLTYPE ShutDown() = 0;
};

// pUserData is the BLOB the notification's originator attached to its
// SEARCH_ITEM_CHANGE, if any; it comes before the out parameter.
struct ISearchProtocol2 : public ISearchProtocol {
    virtual HRESULT STDMETHODCALLTYPE CreateAccessorEx(LPCWSTR pcwszURL, AUTHENTICATION_INFO *pAuthenticationInfo, INCREMENTAL_ACCESS_INFO *pIncrementalAccessInfo, ITEM_INFO *pItemInfo, const BLOB *pUserData, IUrlAccessor **ppAccessor) = 0;
};

// ---------------------------------------------------------------------------
// Crawl scope. Strings returned through LPWSTR* are the caller's to free with
// CoTaskMemFree.
// ---------------------------------------------------------------------------

// Every property is a put/get pair, put first.
struct ISearchRoot : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE put_Schedule(LPCWSTR pszTaskArg) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Schedule(LPWSTR *ppszTaskArg) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_RootURL(LPCWSTR pszURL) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RootURL(LPWSTR *ppszURL) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsHierarchical(BOOL fIsHierarchical) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsHierarchical(BOOL *pfIsHierarchical) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ProvidesNotifications(BOOL fProvidesNotifications) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ProvidesNotifications(BOOL *pfProvidesNotifications) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_UseNotificationsOnly(BOOL fUseNotificationsOnly) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_UseNotificationsOnly(BOOL *pfUseNotificationsOnly) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_EnumerationDepth(DWORD dwDepth) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_EnumerationDepth(DWORD *pdwDepth) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_HostDepth(DWORD dwDepth) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_HostDepth(DWORD *pdwDepth) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_FollowDirectories(BOOL fFollowDirectories) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FollowDirectories(BOOL *pfFollowDirectories) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AuthenticationType(AUTH_TYPE authType) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AuthenticationType(AUTH_TYPE *pAuthType) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_User(LPCWSTR pszUser) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_User(LPWSTR *ppszUser) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Password(LPCWSTR pszPassword) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Password(LPWSTR *ppszPassword) = 0;
};

struct IEnumSearchRoots : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, ISearchRoot **rgelt, ULONG *pceltFetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumSearchRoots **ppenum) = 0;
};

struct ISearchScopeRule : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_PatternOrURL(LPWSTR *ppszPatternOrURL) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsIncluded(BOOL *pfIsIncluded) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsDefault(BOOL *pfIsDefault) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FollowFlags(DWORD *pFollowFlags) = 0;
};

struct IEnumSearchScopeRules : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, ISearchScopeRule **pprgelt, ULONG *pceltFetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumSearchScopeRules **ppenum) = 0;
};

// Nothing added or removed takes effect before SaveAll. RemoveRoot answers
// S_FALSE for a root it does not have.
struct ISearchCrawlScopeManager : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddDefaultScopeRule(LPCWSTR pszURL, BOOL fInclude, DWORD fFollowFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddRoot(ISearchRoot *pSearchRoot) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveRoot(LPCWSTR pszURL) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumerateRoots(IEnumSearchRoots **ppSearchRoots) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddHierarchicalScope(LPCWSTR pszURL, BOOL fInclude, BOOL fDefault, BOOL fOverrideChildren) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddUserScopeRule(LPCWSTR pszURL, BOOL fInclude, BOOL fOverrideChildren, DWORD fFollowFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveScopeRule(LPCWSTR pszRule) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumerateScopeRules(IEnumSearchScopeRules **ppSearchScopeRules) = 0;
    virtual HRESULT STDMETHODCALLTYPE HasParentScopeRule(LPCWSTR pszURL, BOOL *pfHasParentRule) = 0;
    virtual HRESULT STDMETHODCALLTYPE HasChildScopeRule(LPCWSTR pszURL, BOOL *pfHasChildRule) = 0;
    virtual HRESULT STDMETHODCALLTYPE IncludedInCrawlScope(LPCWSTR pszURL, BOOL *pfIsIncluded) = 0;
    virtual HRESULT STDMETHODCALLTYPE IncludedInCrawlScopeEx(LPCWSTR pszURL, BOOL *pfIsIncluded, CLUSION_REASON *pReason) = 0;
    virtual HRESULT STDMETHODCALLTYPE RevertToDefaultScopes() = 0;
    virtual HRESULT STDMETHODCALLTYPE SaveAll() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetParentScopeVersionId(LPCWSTR pszURL, LONG *plScopeId) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveDefaultScopeRule(LPCWSTR pszURL) = 0;
};

// GetVersion never crosses processes: the caller gets a view of a read-only
// mapping and must UnmapViewOfFile it and close the handle. The IDL's remote
// form of it has no vtable slot.
struct ISearchCrawlScopeManager2 : public ISearchCrawlScopeManager {
    virtual HRESULT STDMETHODCALLTYPE GetVersion(long **plVersion, HANDLE *phFileMapping) = 0;
};

// ---------------------------------------------------------------------------
// Change notification
// ---------------------------------------------------------------------------

// rgdwDocIds and rghrCompletionCodes are the caller's arrays of
// dwNumberOfChanges elements each, filled in by the indexer.
struct ISearchItemsChangedSink : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StartedMonitoringScope(LPCWSTR pszURL) = 0;
    virtual HRESULT STDMETHODCALLTYPE StoppedMonitoringScope(LPCWSTR pszURL) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnItemsChanged(DWORD dwNumberOfChanges, SEARCH_ITEM_CHANGE rgDataChangeEntries[], DWORD rgdwDocIds[], HRESULT rghrCompletionCodes[]) = 0;
};

// Notifications the indexer persists, at the price of no status afterwards
// and no SEARCH_CHANGE_MOVE_RENAME.
struct ISearchPersistentItemsChangedSink : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StartedMonitoringScope(LPCWSTR pszURL) = 0;
    virtual HRESULT STDMETHODCALLTYPE StoppedMonitoringScope(LPCWSTR pszURL) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnItemsChanged(DWORD dwNumberOfChanges, SEARCH_ITEM_PERSISTENT_CHANGE DataChangeEntries[], HRESULT hrCompletionCodes[]) = 0;
};

struct ISearchViewChangedSink : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE OnChange(ITEMID *pdwDocID, SEARCH_ITEM_CHANGE *pChange, BOOL *pfInView) = 0;
};

// Implemented by the notification client and called by the indexer. A new
// checkpoint GUID means "resend everything since the last checkpoint"; a new
// reset GUID means "resend the whole scope".
struct ISearchNotifyInlineSite : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE OnItemIndexedStatusChange(SEARCH_INDEXING_PHASE sipStatus, DWORD dwNumEntries, SEARCH_ITEM_INDEXING_STATUS rgItemStatusEntries[]) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnCatalogStatusChange(REFGUID guidCatalogResetSignature, REFGUID guidCheckPointSignature, DWORD dwLastCheckPointNumber) = 0;
};

// ---------------------------------------------------------------------------
// Catalogue and manager
// ---------------------------------------------------------------------------

struct ISearchCatalogManager : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Name(LPWSTR *pszName) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetParameter(LPCWSTR pszName, PROPVARIANT **ppValue) = 0;
    // Unlike ISearchManager::SetParameter, the value is not const here.
    virtual HRESULT STDMETHODCALLTYPE SetParameter(LPCWSTR pszName, PROPVARIANT *pValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCatalogStatus(CatalogStatus *pStatus, CatalogPausedReason *pPausedReason) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reindex() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReindexMatchingURLs(LPCWSTR pszPattern) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReindexSearchRoot(LPCWSTR pszRootURL) = 0;
    // Both timeouts are in seconds.
    virtual HRESULT STDMETHODCALLTYPE put_ConnectTimeout(DWORD dwConnectTimeout) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ConnectTimeout(DWORD *pdwConnectTimeout) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DataTimeout(DWORD dwDataTimeout) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DataTimeout(DWORD *pdwDataTimeout) = 0;
    virtual HRESULT STDMETHODCALLTYPE NumberOfItems(LONG *plCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE NumberOfItemsToIndex(LONG *plIncrementalCount, LONG *plNotificationQueue, LONG *plHighPriorityQueue) = 0;
    virtual HRESULT STDMETHODCALLTYPE URLBeingIndexed(LPWSTR *pszUrl) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetURLIndexingState(LPCWSTR pszURL, DWORD *pdwState) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPersistentItemsChangedSink(ISearchPersistentItemsChangedSink **ppISearchPersistentItemsChangedSink) = 0;
    virtual HRESULT STDMETHODCALLTYPE RegisterViewForNotification(LPCWSTR pszView, ISearchViewChangedSink *pViewChangedSink, DWORD *pdwCookie) = 0;
    // riid is IID_ISearchItemsChangedSink; the three signatures let the
    // client decide what to resend (see ISearchNotifyInlineSite).
    virtual HRESULT STDMETHODCALLTYPE GetItemsChangedSink(ISearchNotifyInlineSite *pISearchNotifyInlineSite, REFIID riid, void **ppv, GUID *pGUIDCatalogResetSignature, GUID *pGUIDCheckPointSignature, DWORD *pdwLastCheckPointNumber) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnregisterViewForNotification(DWORD dwCookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetExtensionClusion(LPCWSTR pszExtension, BOOL fExclude) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumerateExcludedExtensions(IEnumString **ppExtensions) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetQueryHelper(ISearchQueryHelper **ppSearchQueryHelper) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DiacriticSensitivity(BOOL fDiacriticSensitive) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DiacriticSensitivity(BOOL *pfDiacriticSensitive) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCrawlScopeManager(ISearchCrawlScopeManager **ppCrawlScopeManager) = 0;
};

struct ISearchCatalogManager2 : public ISearchCatalogManager {
    virtual HRESULT STDMETHODCALLTYPE PrioritizeMatchingURLs(LPCWSTR pszPattern, PRIORITIZE_FLAGS dwPrioritizeFlags) = 0;
};

// UserAgent is the one property whose getter precedes its setter; MIDL kept
// the IDL's declaration order.
struct ISearchManager : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetIndexerVersionStr(LPWSTR *ppszVersionString) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIndexerVersion(DWORD *pdwMajor, DWORD *pdwMinor) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetParameter(LPCWSTR pszName, PROPVARIANT **ppValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetParameter(LPCWSTR pszName, const PROPVARIANT *pValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ProxyName(LPWSTR *ppszProxyName) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BypassList(LPWSTR *ppszBypassList) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetProxy(PROXY_ACCESS sUseProxy, BOOL fLocalByPassProxy, DWORD dwPortNumber, LPCWSTR pszProxyName, LPCWSTR pszByPassList) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCatalog(LPCWSTR pszCatalog, ISearchCatalogManager **ppCatalogManager) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_UserAgent(LPWSTR *ppszUserAgent) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_UserAgent(LPCWSTR pszUserAgent) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_UseProxy(PROXY_ACCESS *pUseProxy) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LocalBypass(BOOL *pfLocalBypass) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PortNumber(DWORD *pdwPortNumber) = 0;
};

struct ISearchManager2 : public ISearchManager {
    virtual HRESULT STDMETHODCALLTYPE CreateCatalog(LPCWSTR pszCatalog, ISearchCatalogManager **ppCatalogManager) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteCatalog(LPCWSTR pszCatalog) = 0;
};

#pragma pack(pop)

#endif // BRW_PLATFORM_SEARCHAPI_H
