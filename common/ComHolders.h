// Owning holders for COM references and COM allocations: interface pointers,
// CoTaskMem blocks, BSTRs and PROPVARIANTs. One owner each, moves only.
#pragma once

#include "common/Handles.h"

#include <objbase.h>
#include <oleauto.h>
#include <propidl.h>

#include <cstddef>
#include <memory>

namespace brw {

// Holds one reference to an interface. There is no copy: a second reference
// is taken explicitly with ComPtr<T>(other.get()), which adds one.
template <typename T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Takes a reference of its own; use Attach to adopt one already owned.
    explicit ComPtr(T* p) noexcept : p_(p)
    {
        if (p_) {
            p_->AddRef();
        }
    }
    ~ComPtr() { reset(); }

    ComPtr(ComPtr&& other) noexcept : p_(other.Detach()) {}
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        // operator& is the out-parameter slot, so compare real addresses.
        if (this != std::addressof(other)) {
            Attach(other.Detach());
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    void reset() noexcept
    {
        T* old = p_;
        p_ = nullptr;
        if (old) {
            old->Release();
        }
    }

    // Adopts a reference the caller owns (no AddRef).
    void Attach(T* p) noexcept
    {
        T* old = p_;
        p_ = p;
        if (old) {
            old->Release();
        }
    }

    // Hands the reference to the caller (no Release).
    T* Detach() noexcept
    {
        T* p = p_;
        p_ = nullptr;
        return p;
    }

    // For out-parameters: releases what is held and lends the slot.
    T** put() noexcept
    {
        reset();
        return &p_;
    }
    T** operator&() noexcept { return put(); }

    // For IID_PPV_ARGS-style calls: (REFIID, void**).
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    // Queries for U by its __uuidof; pass &otherComPtr. target is null on failure.
    template <typename U>
    HRESULT As(U** target) const noexcept
    {
        if (!target) {
            return E_POINTER;
        }
        *target = nullptr;
        if (!p_) {
            return E_POINTER;
        }
        return p_->QueryInterface(__uuidof(U), reinterpret_cast<void**>(target));
    }

    // Hands out a new reference through a COM out-parameter.
    HRESULT CopyTo(T** target) const noexcept
    {
        if (!target) {
            return E_POINTER;
        }
        *target = p_;
        if (p_) {
            p_->AddRef();
        }
        return S_OK;
    }

private:
    T* p_ = nullptr;
};

template <typename T>
struct CoTaskMemTraits {
    using pointer = T*;
    static pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(pointer p) noexcept { return p != nullptr; }
    static void Close(pointer p) noexcept { CoTaskMemFree(p); }
};

struct BstrTraits {
    using pointer = BSTR;
    static pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(pointer s) noexcept { return s != nullptr; }
    static void Close(pointer s) noexcept { SysFreeString(s); }
};

template <typename T>
using CoTaskMemPtr = UniqueResource<CoTaskMemTraits<T>>;
using Bstr = UniqueResource<BstrTraits>;

// A PROPVARIANT that is cleared (and so frees what it points to) when the
// holder goes, is reset, or is lent out again.
class PropVariant {
public:
    PropVariant() noexcept { PropVariantInit(&value_); }
    ~PropVariant() { reset(); }

    PropVariant(PropVariant&& other) noexcept : value_(other.release()) {}
    PropVariant& operator=(PropVariant&& other) noexcept
    {
        if (this != &other) {
            reset();
            value_ = other.release();
        }
        return *this;
    }
    PropVariant(const PropVariant&) = delete;
    PropVariant& operator=(const PropVariant&) = delete;

    const PROPVARIANT& get() const noexcept { return value_; }
    PROPVARIANT* put() noexcept
    {
        reset();
        return &value_;
    }
    void reset() noexcept { PropVariantClear(&value_); }

    // Moves the contents out, for handing a value to a caller who clears it.
    PROPVARIANT release() noexcept
    {
        PROPVARIANT out = value_;
        PropVariantInit(&value_);
        return out;
    }

private:
    PROPVARIANT value_;
};

} // namespace brw
