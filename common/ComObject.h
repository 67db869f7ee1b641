// Base for the COM objects of our servers: reference counting, a module lock
// for the object's whole life, and aggregation for the classes that allow it.
//
// A class derives from ComObject<IFoo, IBar>, implements its interfaces and
// answers QueryOwnInterface with QISearch over its QITAB. It is created with
// CreateInstance<T> (no aggregation) or CreateAggregatableInstance<T>, which
// are also the create functions of the class table (common/ClassFactory.h).
#pragma once

#include "common/ModuleLock.h"

#include <objbase.h>
#include <unknwn.h>

#include <atomic>
#include <new>

namespace brw {

template <typename... Interfaces>
class ComObject : public Interfaces... {
public:
    // Every interface's IUnknown goes to the controlling unknown: the outer
    // object when aggregated, otherwise our own inner one. That keeps one
    // identity and one reference count, as COM's aggregation rules demand.
    IFACEMETHODIMP QueryInterface(REFIID riid, void** ppv) override { return controlling_->QueryInterface(riid, ppv); }
    IFACEMETHODIMP_(ULONG) AddRef() override { return controlling_->AddRef(); }
    IFACEMETHODIMP_(ULONG) Release() override { return controlling_->Release(); }

    // The non-delegating IUnknown: what an outer object holds and queries.
    IUnknown* InnerUnknown() noexcept { return &inner_; }

    // Runs once after construction, before anyone else sees the object. A
    // class whose set-up can fail declares its own; a failure here makes the
    // creation fail and the object is destroyed.
    HRESULT Initialize() noexcept { return S_OK; }

protected:
    explicit ComObject(IUnknown* outer = nullptr) noexcept : inner_(this), controlling_(outer ? outer : &inner_) {}
    virtual ~ComObject() = default;

    // Answers every interface but IUnknown, usually with QISearch.
    virtual HRESULT QueryOwnInterface(REFIID riid, void** ppv) = 0;

private:
    class Inner final : public IUnknown {
    public:
        explicit Inner(ComObject* owner) noexcept : owner_(owner) {}

        IFACEMETHODIMP QueryInterface(REFIID riid, void** ppv) override
        {
            if (!ppv) {
                return E_POINTER;
            }
            if (IsEqualIID(riid, IID_IUnknown)) {
                *ppv = static_cast<IUnknown*>(this);
                AddRef();
                return S_OK;
            }
            return owner_->QueryOwnInterface(riid, ppv);
        }
        IFACEMETHODIMP_(ULONG) AddRef() override { return ++references_; }
        IFACEMETHODIMP_(ULONG) Release() override
        {
            const ULONG remaining = --references_;
            if (remaining == 0) {
                delete owner_;
            }
            return remaining;
        }

    private:
        ComObject* owner_;
        std::atomic<ULONG> references_{1}; // the creator's reference
    };

    ModuleLock moduleLock_;
    Inner inner_;
    IUnknown* controlling_;
};

// Initializes a freshly made object, queries the interface the caller asked
// for and drops the creator's reference, so a failed query or set-up leaves
// nothing behind.
template <typename T>
HRESULT InitializeAndQuery(T* object, REFIID riid, void** ppv) noexcept
{
    if (!object) {
        return E_OUTOFMEMORY;
    }
    IUnknown* inner = object->InnerUnknown();
    HRESULT hr = object->Initialize();
    if (SUCCEEDED(hr)) {
        hr = inner->QueryInterface(riid, ppv);
    }
    inner->Release();
    return hr;
}

// new (std::nothrow) covers only the object's own memory: a constructor that
// allocates (a string member, a buffer) can still throw bad_alloc, which must
// not cross a noexcept COM entry point. Such an object counts as not made.
template <typename T, typename... Args>
T* ConstructOrNull(Args... args) noexcept
{
    try {
        return new (std::nothrow) T(args...);
    } catch (...) {
        return nullptr;
    }
}

// Create function of a class that cannot be aggregated. T's constructor
// takes no arguments.
template <typename T>
HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (outer) {
        return CLASS_E_NOAGGREGATION;
    }
    return InitializeAndQuery(ConstructOrNull<T>(), riid, ppv);
}

// Create function of a class that can be aggregated. T's constructor takes
// the outer unknown (null when standing alone). An aggregate may ask only for
// the inner IUnknown.
template <typename T>
HRESULT CreateAggregatableInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (outer && !IsEqualIID(riid, IID_IUnknown)) {
        return CLASS_E_NOAGGREGATION;
    }
    return InitializeAndQuery(ConstructOrNull<T>(outer), riid, ppv);
}

} // namespace brw
