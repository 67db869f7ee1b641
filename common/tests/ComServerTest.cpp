#include "common/ClassFactory.h"
#include "common/ComHolders.h"
#include "common/ComObject.h"
#include "common/ModuleLock.h"

#include <gtest/gtest.h>
#include <oleidl.h>
#include <shlwapi.h>

#include <new>

namespace brw {
namespace {

const CLSID kPlainClass = {0x6f1e0d01, 0x2b7a, 0x4c1e, {0x9a, 0x10, 0, 0, 0, 0, 0, 0x01}};
const CLSID kAggregatableClass = {0x6f1e0d01, 0x2b7a, 0x4c1e, {0x9a, 0x10, 0, 0, 0, 0, 0, 0x02}};
const CLSID kFailingClass = {0x6f1e0d01, 0x2b7a, 0x4c1e, {0x9a, 0x10, 0, 0, 0, 0, 0, 0x03}};
const CLSID kMissingClass = {0x6f1e0d01, 0x2b7a, 0x4c1e, {0x9a, 0x10, 0, 0, 0, 0, 0, 0x04}};

void* const kPoison = reinterpret_cast<void*>(0xdeadbeef);
int g_liveObjects = 0;

template <HRESULT kInitializeResult>
class TestObject final : public ComObject<IPersist, IOleWindow> {
public:
    explicit TestObject(IUnknown* outer = nullptr) : ComObject(outer) { ++g_liveObjects; }
    ~TestObject() override { --g_liveObjects; }
    HRESULT Initialize() noexcept { return kInitializeResult; }

    IFACEMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetWindow(HWND*) override { return E_NOTIMPL; }
    IFACEMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override
    {
        static const QITAB kInterfaces[] = {QITABENT(TestObject, IPersist), QITABENT(TestObject, IOleWindow), {}};
        return QISearch(this, kInterfaces, riid, ppv);
    }
};

// A class whose constructor allocates and runs out of memory.
class ThrowingObject final : public ComObject<IPersist> {
public:
    explicit ThrowingObject(IUnknown* outer = nullptr) : ComObject(outer) { throw std::bad_alloc(); }
    HRESULT Initialize() noexcept { return S_OK; }
    IFACEMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override
    {
        static const QITAB kInterfaces[] = {QITABENT(ThrowingObject, IPersist), {}};
        return QISearch(this, kInterfaces, riid, ppv);
    }
};

const ClassEntry kClasses[] = {
    {&kPlainClass, &CreateInstance<TestObject<S_OK>>},
    {&kAggregatableClass, &CreateAggregatableInstance<TestObject<S_OK>>},
    {&kFailingClass, &CreateInstance<TestObject<E_FAIL>>},
};

// A controlling unknown that only counts, standing in for an aggregate.
class Outer final : public IUnknown {
public:
    IFACEMETHODIMP QueryInterface(REFIID, void** ppv) override
    {
        ++queries;
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    IFACEMETHODIMP_(ULONG) AddRef() override { return ++references; }
    IFACEMETHODIMP_(ULONG) Release() override { return --references; }
    ULONG references = 1;
    int queries = 0;
};

ComPtr<IClassFactory> FactoryFor(const CLSID& clsid)
{
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(S_OK, GetClassObjectFromTable(kClasses, &clsid, &IID_IClassFactory, factory.put_void()));
    return factory;
}

class ComServer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, ModuleLockCount()) << "an earlier test leaked a lock"; }
    void TearDown() override
    {
        EXPECT_EQ(0, ModuleLockCount());
        EXPECT_EQ(0, g_liveObjects);
    }
};

TEST_F(ComServer, GetClassObjectAnswersOnlyForTheTable)
{
    const struct {
        const CLSID* clsid;
        const IID* iid;
        bool nullOut;
        HRESULT expected;
    } cases[] = {
        {&kMissingClass, &IID_IClassFactory, false, CLASS_E_CLASSNOTAVAILABLE},
        {&kPlainClass, &IID_IPersist, false, E_NOINTERFACE},
        {&kPlainClass, &IID_IClassFactory, true, E_POINTER},
        {nullptr, &IID_IClassFactory, false, E_INVALIDARG},
        {&kPlainClass, nullptr, false, E_INVALIDARG},
        {&kPlainClass, &IID_IUnknown, false, S_OK},
        {&kFailingClass, &IID_IClassFactory, false, S_OK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        void* out = kPoison;
        const HRESULT hr = GetClassObjectFromTable(kClasses, c.clsid, c.iid, c.nullOut ? nullptr : &out);
        EXPECT_EQ(c.expected, hr);
        if (SUCCEEDED(hr)) {
            static_cast<IUnknown*>(out)->Release();
        } else if (!c.nullOut) {
            EXPECT_EQ(nullptr, out);
        }
        EXPECT_EQ(0, ModuleLockCount());
    }
}

TEST_F(ComServer, CreateInstanceFollowsAggregationRules)
{
    const struct {
        const CLSID* clsid;
        bool aggregate;
        const IID* iid;
        HRESULT expected;
    } cases[] = {
        {&kPlainClass, false, &IID_IOleWindow, S_OK},
        {&kPlainClass, false, &IID_IClassFactory, E_NOINTERFACE},
        {&kPlainClass, true, &IID_IUnknown, CLASS_E_NOAGGREGATION},
        {&kPlainClass, true, &IID_IPersist, CLASS_E_NOAGGREGATION},
        {&kAggregatableClass, false, &IID_IPersist, S_OK},
        {&kAggregatableClass, true, &IID_IUnknown, S_OK},
        {&kAggregatableClass, true, &IID_IPersist, CLASS_E_NOAGGREGATION},
        {&kFailingClass, false, &IID_IPersist, E_FAIL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        Outer outer;
        void* out = kPoison;
        const HRESULT hr = FactoryFor(*c.clsid)->CreateInstance(c.aggregate ? &outer : nullptr, *c.iid, &out);
        EXPECT_EQ(c.expected, hr);
        if (SUCCEEDED(hr)) {
            static_cast<IUnknown*>(out)->Release();
        } else {
            EXPECT_EQ(nullptr, out);
        }
        EXPECT_EQ(0, g_liveObjects);
        EXPECT_EQ(1u, outer.references);
    }
    EXPECT_EQ(E_POINTER, FactoryFor(kPlainClass)->CreateInstance(nullptr, IID_IPersist, nullptr));
}

TEST_F(ComServer, StandaloneObjectHasOneIdentityAndExactCounts)
{
    ComPtr<IPersist> persist;
    ASSERT_EQ(S_OK, FactoryFor(kPlainClass)->CreateInstance(nullptr, IID_IPersist, persist.put_void()));
    EXPECT_EQ(2u, persist->AddRef());
    EXPECT_EQ(1u, persist->Release());

    ComPtr<IOleWindow> window;
    ComPtr<IUnknown> viaPersist;
    ComPtr<IUnknown> viaWindow;
    ASSERT_EQ(S_OK, persist.As(&window));
    ASSERT_EQ(S_OK, persist.As(&viaPersist));
    ASSERT_EQ(S_OK, window.As(&viaWindow));
    EXPECT_EQ(viaPersist.get(), viaWindow.get());

    viaPersist.reset();
    viaWindow.reset();
    window.reset();
    EXPECT_EQ(0u, persist.Detach()->Release());
}

TEST_F(ComServer, AggregatedObjectDelegatesToTheOuterUnknown)
{
    Outer outer;
    ComPtr<IUnknown> inner;
    ASSERT_EQ(S_OK, FactoryFor(kAggregatableClass)->CreateInstance(&outer, IID_IUnknown, inner.put_void()));
    EXPECT_EQ(1u, outer.references) << "the inner object must not keep its outer alive";

    IPersist* persist = nullptr;
    ASSERT_EQ(S_OK, inner->QueryInterface(IID_IPersist, reinterpret_cast<void**>(&persist)));
    EXPECT_EQ(2u, outer.references) << "interfaces handed out count on the outer object";
    void* unknown = kPoison;
    persist->QueryInterface(IID_IUnknown, &unknown);
    EXPECT_EQ(1, outer.queries) << "their QueryInterface goes to the outer object";
    persist->Release();
    EXPECT_EQ(1u, outer.references);
}

TEST_F(ComServer, CanUnloadOnlyWhenNoFactoryObjectOrServerLockIsAlive)
{
    EXPECT_EQ(S_OK, CanUnloadModule());
    ComPtr<IClassFactory> factory = FactoryFor(kPlainClass);
    EXPECT_EQ(S_FALSE, CanUnloadModule()) << "factory alive";

    ComPtr<IPersist> object;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IPersist, object.put_void()));
    factory.reset();
    EXPECT_EQ(S_FALSE, CanUnloadModule()) << "object alive";

    EXPECT_EQ(S_OK, FactoryFor(kPlainClass)->LockServer(TRUE));
    object.reset();
    EXPECT_EQ(S_FALSE, CanUnloadModule()) << "server lock alive";

    EXPECT_EQ(S_OK, FactoryFor(kPlainClass)->LockServer(FALSE));
    EXPECT_EQ(S_OK, CanUnloadModule());
}

TEST_F(ComServer, ConstructorOutOfMemoryIsAnErrorNotAnException)
{
    void* object = kPoison;
    EXPECT_EQ(E_OUTOFMEMORY, CreateInstance<ThrowingObject>(nullptr, IID_IPersist, &object));
    EXPECT_EQ(nullptr, object);
    object = kPoison;
    EXPECT_EQ(E_OUTOFMEMORY, CreateAggregatableInstance<ThrowingObject>(nullptr, IID_IPersist, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(0, ModuleLockCount()) << "the lock taken by the half-made object is given back";
}

} // namespace
} // namespace brw
