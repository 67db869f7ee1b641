#include "common/ComHolders.h"
#include "common/Handles.h"
#include "common/WideString.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace brw {
namespace {

bool IsOpenHandle(HANDLE handle)
{
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

TEST(Holders, CloseOnMoveAssignmentResetAndPutButNotAfterRelease)
{
    HANDLE first = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE second = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    KernelHandle holder(first);
    KernelHandle other(second);
    holder = std::move(other);
    EXPECT_FALSE(IsOpenHandle(first));
    EXPECT_FALSE(other);

    EXPECT_EQ(second, holder.release());
    EXPECT_TRUE(IsOpenHandle(second));
    holder.reset(second);
    EXPECT_EQ(nullptr, *holder.put());
    EXPECT_FALSE(IsOpenHandle(second)) << "put() closes what it held before lending the slot";

    EXPECT_FALSE(FileHandle(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(FileHandle(nullptr));
}

TEST(Holders, RegistryRootsAreNeverClosed)
{
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS}) {
        EXPECT_TRUE(IsPredefinedRegistryKey(root));
    }
    RegKey opened;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, opened.put()));
    EXPECT_FALSE(IsPredefinedRegistryKey(opened.get()));
}

TEST(Holders, HeapBlockIsZeroFilledAndSizedInBytes)
{
    HeapBlock<BYTE> block = AllocateHeapBlock<BYTE>(64);
    ASSERT_TRUE(block);
    EXPECT_EQ(64u, HeapSize(GetProcessHeap(), 0, block.get()));
    EXPECT_EQ(std::vector<BYTE>(64, 0), std::vector<BYTE>(block.get(), block.get() + 64));
}

// An IPersist whose reference count and destruction the tests watch.
class Counted final : public IPersist {
public:
    explicit Counted(bool* destroyed) : destroyed_(destroyed) {}
    IFACEMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        const bool known = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPersist);
        *ppv = known ? static_cast<IPersist*>(this) : nullptr;
        return known ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    IFACEMETHODIMP_(ULONG) AddRef() override { return ++references; }
    IFACEMETHODIMP_(ULONG) Release() override
    {
        if (--references == 0) {
            *destroyed_ = true;
            delete this;
            return 0;
        }
        return references;
    }
    IFACEMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
    ULONG references = 1;

private:
    bool* destroyed_;
};

TEST(Holders, ComPtrCountsReferencesExactly)
{
    bool destroyed = false;
    auto* object = new Counted(&destroyed);
    {
        ComPtr<IPersist> shared(object);
        EXPECT_EQ(2u, object->references) << "construction from a raw pointer adds one";
        ComPtr<IPersist> moved(std::move(shared));
        ComPtr<IPersist> copy;
        ASSERT_EQ(S_OK, moved.CopyTo(&copy));
        EXPECT_EQ(3u, object->references);
        EXPECT_EQ(nullptr, *(&copy));
        EXPECT_EQ(2u, object->references) << "& releases what it held";
        moved.Attach(moved.Detach());
        EXPECT_EQ(2u, object->references);
    }
    EXPECT_EQ(1u, object->references);
    object->Release();
    EXPECT_TRUE(destroyed);
}

TEST(Holders, ComPtrAsQueriesByUuidAndEmptiesTargetOnFailure)
{
    bool destroyed = false;
    ComPtr<IUnknown> unknown;
    unknown.Attach(new Counted(&destroyed));
    ComPtr<IPersist> persist;
    EXPECT_EQ(S_OK, unknown.As(&persist));
    EXPECT_TRUE(persist);
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(E_NOINTERFACE, unknown.As(&factory));
    EXPECT_FALSE(factory);
    EXPECT_EQ(E_POINTER, ComPtr<IUnknown>().As(&persist));
    EXPECT_FALSE(persist) << "a failed As must not keep the old reference";
    unknown.reset();
    EXPECT_TRUE(destroyed);
}

TEST(Holders, PropVariantClearReleasesItsContentsAndReleaseHandsThemOver)
{
    bool destroyed = false;
    auto* object = new Counted(&destroyed);
    {
        PropVariant value;
        PROPVARIANT* slot = value.put();
        slot->vt = VT_UNKNOWN;
        slot->punkVal = object;
        object->AddRef(); // the variant's own reference
        PropVariant moved(std::move(value));
        EXPECT_EQ(VT_EMPTY, value.get().vt);
    }
    EXPECT_EQ(1u, object->references);
    object->Release();

    PropVariant text;
    PROPVARIANT* textSlot = text.put();
    textSlot->vt = VT_LPWSTR;
    ASSERT_EQ(S_OK, DuplicateCoTaskMemString(L"text", &textSlot->pwszVal));
    PROPVARIANT taken = text.release();
    EXPECT_EQ(VT_EMPTY, text.get().vt);
    EXPECT_STREQ(L"text", taken.pwszVal);
    PropVariantClear(&taken);
}

} // namespace
} // namespace brw
