// The crawl scope manager. Changes are kept as a list of edits and applied
// to the saved scope, freshly read under the state lock, at SaveAll: so
// nothing takes effect before SaveAll, as on Windows, and two processes that
// edit the scope at once both keep their edits.
#include "common/ComObject.h"
#include "platform/winsearch/core/SharedState.h"
#include "platform/winsearch/core/StateLock.h"
#include "platform/winsearch/service/ServiceObjects.h"

#include <shlwapi.h>

#include <functional>

namespace brw::winsearch {

namespace {

using ScopeEdit = std::function<void(CrawlScope&)>;

class CrawlScopeManager final : public ComObject<ISearchCrawlScopeManager> {
public:
    explicit CrawlScopeManager(std::wstring folder) : folder_(std::move(folder)) {}

    IFACEMETHODIMP AddDefaultScopeRule(LPCWSTR url, BOOL include, DWORD followFlags) override
    {
        return AddRule(url, include, true, false, followFlags);
    }
    IFACEMETHODIMP AddRoot(ISearchRoot* source) override
    {
        if (!source) {
            return E_POINTER;
        }
        RootEntry root;
        const HRESULT hr = ReadRoot(source, &root);
        if (FAILED(hr)) {
            return hr;
        }
        return Edit([root](CrawlScope& scope) { scope.AddRoot(root); });
    }
    IFACEMETHODIMP RemoveRoot(LPCWSTR url) override
    {
        if (!IsAcceptableUrl(url)) {
            return E_INVALIDARG;
        }
        CrawlScope working;
        const HRESULT hr = Working(&working);
        if (FAILED(hr)) {
            return hr;
        }
        if (!working.FindRoot(url)) {
            return S_FALSE;
        }
        const std::wstring text = url;
        return Edit([text](CrawlScope& scope) { scope.RemoveRoot(text); });
    }
    IFACEMETHODIMP EnumerateRoots(IEnumSearchRoots** roots) override
    {
        if (!roots) {
            return E_POINTER;
        }
        *roots = nullptr;
        CrawlScope scope;
        const HRESULT hr = Saved(&scope);
        return FAILED(hr) ? hr : CreateRootEnumerator(scope.Roots(), roots);
    }
    IFACEMETHODIMP AddHierarchicalScope(LPCWSTR url, BOOL include, BOOL isDefault, BOOL overrideChildren) override
    {
        return AddRule(url, include, isDefault != FALSE, overrideChildren != FALSE, FF_INDEXCOMPLEXURLS);
    }
    IFACEMETHODIMP AddUserScopeRule(LPCWSTR url, BOOL include, BOOL overrideChildren, DWORD followFlags) override
    {
        return AddRule(url, include, false, overrideChildren != FALSE, followFlags);
    }
    IFACEMETHODIMP RemoveScopeRule(LPCWSTR url) override { return RemoveRule(url, false); }
    IFACEMETHODIMP EnumerateScopeRules(IEnumSearchScopeRules** rules) override
    {
        if (rules) {
            *rules = nullptr;
        }
        return E_NOTIMPL;
    }
    IFACEMETHODIMP HasParentScopeRule(LPCWSTR url, BOOL* has) override
    {
        return Ask(url, has,
                   [](const CrawlScope& scope, const std::wstring& text) { return scope.HasParentRule(text); });
    }
    IFACEMETHODIMP HasChildScopeRule(LPCWSTR url, BOOL* has) override
    {
        return Ask(url, has,
                   [](const CrawlScope& scope, const std::wstring& text) { return scope.HasChildRule(text); });
    }
    IFACEMETHODIMP IncludedInCrawlScope(LPCWSTR url, BOOL* included) override
    {
        return IncludedInCrawlScopeEx(url, included, nullptr);
    }
    IFACEMETHODIMP IncludedInCrawlScopeEx(LPCWSTR url, BOOL* included, CLUSION_REASON* reason) override
    {
        CLUSION_REASON why = CLUSIONREASON_UNKNOWNSCOPE;
        const HRESULT hr = Ask(url, included, [&why](const CrawlScope& scope, const std::wstring& text) {
            return scope.IsIncluded(text, &why);
        });
        if (SUCCEEDED(hr) && reason) {
            *reason = why;
        }
        return hr;
    }
    IFACEMETHODIMP RevertToDefaultScopes() override
    {
        return Edit([](CrawlScope& scope) { scope.RevertToDefaultRules(); });
    }
    IFACEMETHODIMP SaveAll() override
    {
        StateLock lock(folder_);
        if (FAILED(lock.Status())) {
            return lock.Status();
        }
        CrawlScope scope;
        HRESULT hr = LoadScope(folder_, &scope);
        if (FAILED(hr)) {
            return hr;
        }
        for (const ScopeEdit& edit : edits_) {
            edit(scope);
        }
        scope.NextVersion();
        hr = SaveScope(folder_, scope);
        if (SUCCEEDED(hr)) {
            edits_.clear();
            SignalWork(folder_);
        }
        return hr;
    }
    IFACEMETHODIMP GetParentScopeVersionId(LPCWSTR, LONG* id) override
    {
        if (id) {
            *id = 0;
        }
        return E_NOTIMPL;
    }
    IFACEMETHODIMP RemoveDefaultScopeRule(LPCWSTR url) override { return RemoveRule(url, true); }

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override
    {
        static const QITAB kInterfaces[] = {QITABENT(CrawlScopeManager, ISearchCrawlScopeManager), {}};
        return QISearch(this, kInterfaces, riid, ppv);
    }

private:
    HRESULT Edit(ScopeEdit edit)
    {
        try {
            edits_.push_back(std::move(edit));
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

    HRESULT AddRule(LPCWSTR url, BOOL include, bool isDefault, bool overrideChildren, DWORD followFlags)
    {
        if (!IsAcceptableUrl(url)) {
            return E_INVALIDARG;
        }
        RuleEntry rule;
        rule.url = url;
        rule.include = include != FALSE;
        rule.isDefault = isDefault;
        rule.followFlags = followFlags;
        return Edit([rule, overrideChildren](CrawlScope& scope) { scope.AddRule(rule, overrideChildren); });
    }

    HRESULT RemoveRule(LPCWSTR url, bool isDefault)
    {
        if (!IsAcceptableUrl(url)) {
            return E_INVALIDARG;
        }
        CrawlScope working;
        const HRESULT hr = Working(&working);
        if (FAILED(hr)) {
            return hr;
        }
        const std::wstring text = url;
        if (!working.RemoveRule(text, isDefault)) {
            return S_FALSE;
        }
        return Edit([text, isDefault](CrawlScope& scope) { scope.RemoveRule(text, isDefault); });
    }

    HRESULT Saved(CrawlScope* scope) const
    {
        StateLock lock(folder_);
        return FAILED(lock.Status()) ? lock.Status() : LoadScope(folder_, scope);
    }

    // The saved scope with this manager's unsaved edits, to answer what an
    // edit would find (RemoveRoot's S_FALSE).
    HRESULT Working(CrawlScope* scope) const
    {
        const HRESULT hr = Saved(scope);
        if (SUCCEEDED(hr)) {
            for (const ScopeEdit& edit : edits_) {
                edit(*scope);
            }
        }
        return hr;
    }

    template <typename Question>
    HRESULT Ask(LPCWSTR url, BOOL* answer, Question question) const
    {
        if (!answer) {
            return E_POINTER;
        }
        *answer = FALSE;
        if (!IsAcceptableUrl(url)) {
            return E_INVALIDARG;
        }
        CrawlScope scope;
        const HRESULT hr = Saved(&scope);
        if (SUCCEEDED(hr)) {
            *answer = question(scope, url) ? TRUE : FALSE;
        }
        return hr;
    }

    std::wstring folder_;
    std::vector<ScopeEdit> edits_;
};

} // namespace

HRESULT CreateCrawlScopeManager(const std::wstring& folder, ISearchCrawlScopeManager** result)
{
    return InitializeAndQuery(new (std::nothrow) CrawlScopeManager(folder), IID_ISearchCrawlScopeManager,
                              reinterpret_cast<void**>(result));
}

} // namespace brw::winsearch
