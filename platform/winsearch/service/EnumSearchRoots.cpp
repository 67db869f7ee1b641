// The root enumerator: a snapshot of the saved roots, taken when it is made.
#include "common/ComObject.h"
#include "platform/winsearch/service/ServiceObjects.h"

#include <shlwapi.h>

namespace brw::winsearch {

namespace {

class EnumSearchRoots final : public ComObject<IEnumSearchRoots> {
public:
    EnumSearchRoots(std::vector<RootEntry> roots, size_t position) : roots_(std::move(roots)), position_(position) {}

    IFACEMETHODIMP Next(ULONG count, ISearchRoot** roots, ULONG* fetched) override
    {
        if (fetched) {
            *fetched = 0;
        }
        if (!roots || (count != 1 && !fetched)) {
            return E_POINTER;
        }
        ULONG done = 0;
        while (done < count && position_ < roots_.size()) {
            const HRESULT hr = CreateSearchRootFrom(roots_[position_], &roots[done]);
            if (FAILED(hr)) {
                for (ULONG i = 0; i < done; ++i) {
                    roots[i]->Release();
                    roots[i] = nullptr;
                }
                return hr;
            }
            ++done;
            ++position_;
        }
        if (fetched) {
            *fetched = done;
        }
        return done == count ? S_OK : S_FALSE;
    }
    IFACEMETHODIMP Skip(ULONG count) override
    {
        const size_t left = roots_.size() - position_;
        position_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    IFACEMETHODIMP Reset() override
    {
        position_ = 0;
        return S_OK;
    }
    IFACEMETHODIMP Clone(IEnumSearchRoots** copy) override
    {
        if (!copy) {
            return E_POINTER;
        }
        *copy = nullptr;
        return InitializeAndQuery(new (std::nothrow) EnumSearchRoots(roots_, position_), IID_IEnumSearchRoots,
                                  reinterpret_cast<void**>(copy));
    }

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override
    {
        static const QITAB kInterfaces[] = {QITABENT(EnumSearchRoots, IEnumSearchRoots), {}};
        return QISearch(this, kInterfaces, riid, ppv);
    }

private:
    std::vector<RootEntry> roots_;
    size_t position_;
};

} // namespace

HRESULT CreateRootEnumerator(std::vector<RootEntry> roots, IEnumSearchRoots** result)
{
    return InitializeAndQuery(new (std::nothrow) EnumSearchRoots(std::move(roots), 0), IID_IEnumSearchRoots,
                              reinterpret_cast<void**>(result));
}

} // namespace brw::winsearch
