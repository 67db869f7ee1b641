// The state folder's files: identity, queue hand-over, damage.
#include "platform/winsearch/core/SharedState.h"

#include "common/WideString.h"
#include "platform/winsearch/core/StateFile.h"
#include "platform/winsearch/core/StateFolder.h"
#include "platform/winsearch/core/StateLock.h"

#include <gtest/gtest.h>

#include <atomic>

namespace brw::winsearch {
namespace {

constexpr std::uint64_t kSomeTime = 0x01DA2B3C4D5E6F70ULL;

class SharedStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static std::atomic<unsigned> counter{0};
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ = FormatText(L"%sbrwws-state-%lu-%u", temp, GetCurrentProcessId(), ++counter);
        CreateDirectoryW(folder_.c_str(), nullptr);
    }
    void TearDown() override
    {
        for (const wchar_t* name : {L"identity.txt", L"queue.txt", L"queue-taken.txt", L"scope.txt"}) {
            DeleteFileW(StatePath(folder_, name).c_str());
        }
        RemoveDirectoryW(folder_.c_str());
    }

    static QueuedChange Change(const wchar_t* url, SEARCH_NOTIFICATION_PRIORITY priority = SEARCH_NORMAL_PRIORITY)
    {
        QueuedChange change;
        change.url = url;
        change.priority = priority;
        change.change = SEARCH_CHANGE_MODIFY;
        change.docId = 5;
        return change;
    }

    std::wstring folder_;
};

TEST_F(SharedStateTest, IdentityIsMadeOnceAndRemadeOnlyWhenDamaged)
{
    CatalogueIdentity first;
    CatalogueIdentity again;
    ASSERT_EQ(S_OK, LoadIdentity(folder_, &first));
    ASSERT_EQ(S_OK, LoadIdentity(folder_, &again));
    EXPECT_TRUE(IsEqualGUID(first.resetSignature, again.resetSignature));
    EXPECT_FALSE(IsEqualGUID(first.resetSignature, first.checkpointSignature));
    ASSERT_EQ(S_OK, ReplaceStateFile(StatePath(folder_, L"identity.txt"), L"reset\t{not a guid}\n"));
    ASSERT_EQ(S_OK, LoadIdentity(folder_, &again));
    EXPECT_FALSE(IsEqualGUID(first.resetSignature, again.resetSignature)) << "a damaged identity is a new index";
}

TEST_F(SharedStateTest, TakenNotificationsComeBackUntilFinished)
{
    ASSERT_EQ(S_OK,
              AppendChanges(folder_, {Change(L"brw://a/1"), Change(L"brw://a/2", SEARCH_HIGH_PRIORITY)}, kSomeTime));
    std::vector<QueuedChange> taken;
    ASSERT_EQ(S_OK, TakeChanges(folder_, &taken));
    ASSERT_EQ(2u, taken.size());
    EXPECT_EQ(SEARCH_HIGH_PRIORITY, taken[1].priority);
    EXPECT_EQ(static_cast<DWORD>(SEARCH_CHANGE_MODIFY), taken[1].change);
    EXPECT_EQ(5u, taken[1].docId);
    // A host that died before finishing hands them to the next one, with
    // whatever arrived since.
    ASSERT_EQ(S_OK, AppendChanges(folder_, {Change(L"brw://a/3")}, kSomeTime));
    LONG normal = 0;
    LONG high = 0;
    ASSERT_EQ(S_OK, CountChanges(folder_, &normal, &high));
    EXPECT_EQ(2, normal);
    EXPECT_EQ(1, high);
    ASSERT_EQ(S_OK, TakeChanges(folder_, &taken));
    EXPECT_EQ(3u, taken.size());
    ASSERT_EQ(S_OK, FinishChanges(folder_));
    ASSERT_EQ(S_OK, TakeChanges(folder_, &taken));
    EXPECT_TRUE(taken.empty());
}

TEST_F(SharedStateTest, ALineCutShortByACrashIsSkipped)
{
    ASSERT_EQ(S_OK, AppendStateFile(StatePath(folder_, L"queue.txt"), L"0\t2\t7\tbrw://a/cut"));
    ASSERT_EQ(S_OK, AppendStateFile(StatePath(folder_, L"queue.txt"), L"0\t2"));
    ASSERT_EQ(S_OK, AppendChanges(folder_, {Change(L"brw://a/whole")}, kSomeTime));
    std::vector<QueuedChange> taken;
    ASSERT_EQ(S_OK, TakeChanges(folder_, &taken));
    ASSERT_EQ(1u, taken.size()) << "the glued line is damage; the appended one is whole";
    EXPECT_EQ(L"brw://a/whole", taken[0].url);
}

TEST_F(SharedStateTest, EachChangeCarriesItsBatchsQueueTimeAndADamagedTimeIsNone)
{
    ASSERT_EQ(S_OK, AppendChanges(folder_, {Change(L"brw://a/1"), Change(L"brw://a/2")}, kSomeTime));
    const std::wstring queue = StatePath(folder_, L"queue.txt");
    // Time lines cut short or of another form, as a crash or damage leaves them.
    for (const wchar_t* damaged : {L"\nqueued\t01DA2B3C4D5E6F7\n0\t2\t7\tbrw://a/short\n",
                                   L"\nqueued\t01da2b3c4d5e6f70\n0\t2\t7\tbrw://a/lower\n"}) {
        ASSERT_EQ(S_OK, AppendStateFile(queue, damaged));
    }
    ASSERT_EQ(S_OK, AppendChanges(folder_, {Change(L"brw://a/3")}, kSomeTime + 1));
    std::vector<QueuedChange> taken;
    ASSERT_EQ(S_OK, TakeChanges(folder_, &taken));
    ASSERT_EQ(5u, taken.size());
    const std::vector<std::uint64_t> times{kSomeTime, kSomeTime, 0, 0, kSomeTime + 1};
    for (size_t i = 0; i < taken.size(); ++i) {
        EXPECT_EQ(times[i], taken[i].queuedAt) << brw::WideToUtf8(taken[i].url);
    }
}

TEST_F(SharedStateTest, AnOversizedStateFileIsRefused)
{
    const std::wstring path = StatePath(folder_, L"scope.txt");
    {
        FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        LARGE_INTEGER size{};
        size.QuadPart = kMaxStateFileBytes + 1;
        ASSERT_TRUE(SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN) && SetEndOfFile(file.get()));
    }
    CrawlScope scope;
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE), LoadScope(folder_, &scope));
}

TEST_F(SharedStateTest, TheLockNamesDependOnTheFolderOnly)
{
    EXPECT_EQ(StateObjectName(L"C:\\State", L"Lock"), StateObjectName(L"c:\\state", L"Lock"));
    EXPECT_NE(StateObjectName(L"C:\\State", L"Lock"), StateObjectName(L"C:\\State2", L"Lock"));
    StateLock first(folder_);
    ASSERT_EQ(S_OK, first.Status());
    StateLock nested(folder_);
    EXPECT_EQ(S_OK, nested.Status()) << "the same thread may hold it twice";
}

} // namespace
} // namespace brw::winsearch
