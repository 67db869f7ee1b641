// CSearchRoot: a crawl root's settings, held until it is given to AddRoot.
#include "common/ComHolders.h"
#include "common/ComObject.h"
#include "common/WideString.h"
#include "platform/winsearch/core/StateFile.h"
#include "platform/winsearch/service/ServiceObjects.h"

#include <shlwapi.h>

namespace brw::winsearch {

namespace {

HRESULT PutBool(BOOL value, BOOL* target)
{
    *target = value ? TRUE : FALSE;
    return S_OK;
}

template <typename T>
HRESULT Get(const T& value, T* target)
{
    if (!target) {
        return E_POINTER;
    }
    *target = value;
    return S_OK;
}

HRESULT GetText(const std::wstring& value, LPWSTR* target)
{
    return DuplicateCoTaskMemString(value.c_str(), target);
}

class SearchRoot final : public ComObject<ISearchRoot> {
public:
    SearchRoot() = default;
    explicit SearchRoot(const RootEntry& root) : root_(root) {}

    IFACEMETHODIMP put_Schedule(LPCWSTR value) override
    {
        if (!value || !IsFieldSafe(value) || wcslen(value) > kMaxUrlLength) {
            return E_INVALIDARG;
        }
        root_.schedule = value;
        return S_OK;
    }
    IFACEMETHODIMP get_Schedule(LPWSTR* value) override { return GetText(root_.schedule, value); }
    IFACEMETHODIMP put_RootURL(LPCWSTR value) override
    {
        if (!IsAcceptableUrl(value)) {
            return E_INVALIDARG;
        }
        root_.url = value;
        return S_OK;
    }
    IFACEMETHODIMP get_RootURL(LPWSTR* value) override
    {
        if (root_.url.empty()) {
            if (value) {
                *value = nullptr;
            }
            return E_FAIL; // no URL was ever put
        }
        return GetText(root_.url, value);
    }
    IFACEMETHODIMP put_IsHierarchical(BOOL value) override { return PutBool(value, &root_.isHierarchical); }
    IFACEMETHODIMP get_IsHierarchical(BOOL* value) override { return Get(root_.isHierarchical, value); }
    IFACEMETHODIMP put_ProvidesNotifications(BOOL value) override
    {
        return PutBool(value, &root_.providesNotifications);
    }
    IFACEMETHODIMP get_ProvidesNotifications(BOOL* value) override { return Get(root_.providesNotifications, value); }
    IFACEMETHODIMP put_UseNotificationsOnly(BOOL value) override { return PutBool(value, &root_.useNotificationsOnly); }
    IFACEMETHODIMP get_UseNotificationsOnly(BOOL* value) override { return Get(root_.useNotificationsOnly, value); }
    IFACEMETHODIMP put_EnumerationDepth(DWORD value) override
    {
        root_.enumerationDepth = value;
        return S_OK;
    }
    IFACEMETHODIMP get_EnumerationDepth(DWORD* value) override { return Get(root_.enumerationDepth, value); }
    IFACEMETHODIMP put_HostDepth(DWORD value) override
    {
        root_.hostDepth = value;
        return S_OK;
    }
    IFACEMETHODIMP get_HostDepth(DWORD* value) override { return Get(root_.hostDepth, value); }
    IFACEMETHODIMP put_FollowDirectories(BOOL value) override { return PutBool(value, &root_.followDirectories); }
    IFACEMETHODIMP get_FollowDirectories(BOOL* value) override { return Get(root_.followDirectories, value); }
    IFACEMETHODIMP put_AuthenticationType(AUTH_TYPE value) override
    {
        if (value < eAUTH_TYPE_ANONYMOUS || value > eAUTH_TYPE_BASIC) {
            return E_INVALIDARG;
        }
        root_.authenticationType = value;
        return S_OK;
    }
    IFACEMETHODIMP get_AuthenticationType(AUTH_TYPE* value) override { return Get(root_.authenticationType, value); }
    // Documented as not implemented on Windows; the stand-in never stores
    // credentials either.
    IFACEMETHODIMP put_User(LPCWSTR) override { return E_NOTIMPL; }
    IFACEMETHODIMP get_User(LPWSTR*) override { return E_NOTIMPL; }
    IFACEMETHODIMP put_Password(LPCWSTR) override { return E_NOTIMPL; }
    IFACEMETHODIMP get_Password(LPWSTR*) override { return E_NOTIMPL; }

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override
    {
        static const QITAB kInterfaces[] = {QITABENT(SearchRoot, ISearchRoot), {}};
        return QISearch(this, kInterfaces, riid, ppv);
    }

private:
    RootEntry root_;
};

template <typename T>
HRESULT ReadValue(ISearchRoot* source, HRESULT (STDMETHODCALLTYPE ISearchRoot::*getter)(T*), T* target)
{
    T value{};
    const HRESULT hr = (source->*getter)(&value);
    if (SUCCEEDED(hr)) {
        *target = value;
    }
    return hr;
}

} // namespace

HRESULT CreateSearchRoot(IUnknown* outer, REFIID riid, void** ppv)
{
    return CreateInstance<SearchRoot>(outer, riid, ppv);
}

HRESULT CreateSearchRootFrom(const RootEntry& root, ISearchRoot** result)
{
    return InitializeAndQuery(new (std::nothrow) SearchRoot(root), IID_ISearchRoot, reinterpret_cast<void**>(result));
}

HRESULT ReadRoot(ISearchRoot* source, RootEntry* root)
{
    CoTaskMemPtr<wchar_t> url;
    HRESULT hr = source->get_RootURL(url.put());
    if (FAILED(hr) || !IsAcceptableUrl(url.get())) {
        return E_INVALIDARG;
    }
    RootEntry read;
    read.url = url.get();
    CoTaskMemPtr<wchar_t> schedule;
    if (SUCCEEDED(source->get_Schedule(schedule.put())) && schedule.get() && IsFieldSafe(schedule.get())) {
        read.schedule = schedule.get();
    }
    // A getter another implementation does not offer keeps the default.
    ReadValue(source, &ISearchRoot::get_IsHierarchical, &read.isHierarchical);
    ReadValue(source, &ISearchRoot::get_ProvidesNotifications, &read.providesNotifications);
    ReadValue(source, &ISearchRoot::get_UseNotificationsOnly, &read.useNotificationsOnly);
    ReadValue(source, &ISearchRoot::get_EnumerationDepth, &read.enumerationDepth);
    ReadValue(source, &ISearchRoot::get_HostDepth, &read.hostDepth);
    ReadValue(source, &ISearchRoot::get_FollowDirectories, &read.followDirectories);
    ReadValue(source, &ISearchRoot::get_AuthenticationType, &read.authenticationType);
    *root = read;
    return S_OK;
}

} // namespace brw::winsearch
