// The placeholder automation object answers only through the type library,
// which registration leaves unregistered.
#include "handler/module/IndexNotifier.h"

#include "common/ComHolders.h"

#include <gtest/gtest.h>

namespace brw {
namespace {

TEST(IndexNotifier, DispatchNeedsTheRegisteredTypeLibrary)
{
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(S_OK, CreateInstance<CIndexNotifier>(nullptr, IID_IDispatch, dispatch.put_void()));
    ComPtr<IIndexNotifier> notifier;
    EXPECT_EQ(S_OK, dispatch.As(&notifier));
    UINT count = 0;
    EXPECT_EQ(S_OK, dispatch->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(DISP_E_BADINDEX, dispatch->GetTypeInfo(1, 0, info.put()));
    EXPECT_TRUE(FAILED(dispatch->GetTypeInfo(0, 0, info.put())));
    EXPECT_FALSE(info);
    DISPPARAMS none = {};
    EXPECT_TRUE(FAILED(dispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr)));
    IUnknown* outer = reinterpret_cast<IUnknown*>(0x1);
    void* object = nullptr;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, CreateInstance<CIndexNotifier>(outer, IID_IUnknown, &object));
}

} // namespace
} // namespace brw
