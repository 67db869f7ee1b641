// The catalogue store: records, crash recovery, the word index and queries.
#include "platform/winsearch/core/Catalogue.h"

#include "common/WideString.h"
#include "platform/winsearch/core/CatalogueSnapshot.h"
#include "platform/winsearch/core/RecordCodec.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace brw::winsearch {
namespace {

constexpr std::uint64_t kDay = 864000000000ULL;

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static std::atomic<unsigned> counter{0};
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        path_ = FormatText(L"%scatalogue-%lu-%u.dat", temp, GetCurrentProcessId(), ++counter);
        DeleteFileW(path_.c_str());
    }
    void TearDown() override { DeleteFileW(path_.c_str()); }

    static ItemRecord Item(const wchar_t* url, const wchar_t* text, const wchar_t* kind = L"email",
                           const wchar_t* author = L"Ann Smith", std::uint64_t day = 1)
    {
        ItemRecord item;
        item.url = url;
        item.text = text;
        PropertyValue value;
        value.key = kKeyKind;
        value.text = kind;
        item.properties.push_back(value);
        value.key = kKeyAuthor;
        value.text = author;
        item.properties.push_back(value);
        value.key = kKeyItemType;
        value.text = L"BRW/Message";
        item.properties.push_back(value);
        PropertyValue date;
        date.key = kKeyDateModified;
        date.type = ValueType::FileTime;
        date.number = static_cast<std::int64_t>(day * kDay);
        item.properties.push_back(date);
        return item;
    }

    std::uint64_t FileSize() const
    {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data);
        return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }

    void Truncate(std::uint64_t size) const
    {
        FileHandle file(CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(size);
        ASSERT_TRUE(SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) && SetEndOfFile(file.get()));
    }

    std::wstring path_;
};

TEST_F(CatalogueTest, ItemsSurviveReopeningAndReplacementKeepsOneRecord)
{
    {
        Catalogue catalogue;
        ASSERT_EQ(S_OK, catalogue.OpenForWriting(path_));
        ASSERT_EQ(S_OK, catalogue.Put(Item(L"brw://a/1", L"first text")));
        ASSERT_EQ(S_OK, catalogue.Put(Item(L"brw://a/1", L"second text")));
        ASSERT_EQ(S_OK, catalogue.Put(Item(L"brw://a/2", L"other")));
    }
    Catalogue reread;
    ASSERT_EQ(S_OK, reread.Load(path_));
    EXPECT_EQ(2u, reread.Count());
    ASSERT_NE(nullptr, reread.Find(L"brw://a/1"));
    EXPECT_EQ(L"second text", reread.Find(L"brw://a/1")->text);
    QueryRequest request;
    request.words = {L"first"};
    EXPECT_TRUE(reread.Query(request).empty()) << "the replaced text is no longer found";
}

TEST_F(CatalogueTest, WhereAnItemsTimeCameFromSurvivesReopening)
{
    ItemRecord gathered = Item(L"brw://a/gathered", L"text");
    gathered.lastModified = 5 * kDay;
    gathered.timeIsGatherTime = true;
    ItemRecord directory = Item(L"brw://a/", L"");
    directory.isDirectory = true;
    directory.lastModified = 6 * kDay;
    {
        Catalogue catalogue;
        ASSERT_EQ(S_OK, catalogue.OpenForWriting(path_));
        ASSERT_EQ(S_OK, catalogue.Put(gathered));
        ASSERT_EQ(S_OK, catalogue.Put(directory));
        ASSERT_EQ(S_OK, catalogue.Put(Item(L"brw://a/own", L"text")));
    }
    Catalogue reread;
    ASSERT_EQ(S_OK, reread.Load(path_));
    ASSERT_EQ(3u, reread.Count());
    const ItemRecord* item = reread.Find(L"brw://a/gathered");
    EXPECT_TRUE(item->timeIsGatherTime && !item->isDirectory && item->lastModified == 5 * kDay);
    item = reread.Find(L"brw://a/");
    EXPECT_TRUE(!item->timeIsGatherTime && item->isDirectory && item->lastModified == 6 * kDay);
    item = reread.Find(L"brw://a/own");
    EXPECT_TRUE(!item->timeIsGatherTime && !item->isDirectory);
}

TEST_F(CatalogueTest, RemovingAnItemRemovesEverythingBelowItOnly)
{
    Catalogue catalogue;
    ASSERT_EQ(S_OK, catalogue.OpenForWriting(path_));
    for (const wchar_t* url : {L"brw://a/db", L"brw://a/db/1", L"brw://a/db/1#1#x.doc", L"brw://a/dbx/1"}) {
        ASSERT_EQ(S_OK, catalogue.Put(Item(url, L"x")));
    }
    EXPECT_EQ(S_OK, catalogue.RemoveBelow(L"brw://a/db"));
    EXPECT_EQ(S_FALSE, catalogue.RemoveBelow(L"brw://a/db")) << "nothing left to remove";
    Catalogue reread;
    ASSERT_EQ(S_OK, reread.Load(path_));
    EXPECT_EQ(1u, reread.Count());
    EXPECT_NE(nullptr, reread.Find(L"brw://a/dbx/1"));
}

TEST_F(CatalogueTest, ACrashMidWriteLosesOnlyTheLastItem)
{
    std::uint64_t afterTwo = 0;
    {
        Catalogue catalogue;
        ASSERT_EQ(S_OK, catalogue.OpenForWriting(path_));
        ASSERT_EQ(S_OK, catalogue.Put(Item(L"brw://a/1", L"one")));
        ASSERT_EQ(S_OK, catalogue.Put(Item(L"brw://a/2", L"two")));
        afterTwo = FileSize();
        ASSERT_EQ(S_OK, catalogue.Put(Item(L"brw://a/3", L"three")));
    }
    // Every cut inside the third record, as a process dying mid-write leaves.
    const std::uint64_t full = FileSize();
    for (std::uint64_t cut : {afterTwo + 1, afterTwo + 9, (afterTwo + full) / 2, full - 1}) {
        Truncate(cut);
        Catalogue writer;
        ASSERT_EQ(S_OK, writer.OpenForWriting(path_));
        EXPECT_EQ(2u, writer.Count());
        EXPECT_EQ(afterTwo, FileSize()) << "the damaged tail is cut off";
        ASSERT_EQ(S_OK, writer.Put(Item(L"brw://a/3", L"three")));
    }
    Catalogue reread;
    ASSERT_EQ(S_OK, reread.Load(path_));
    EXPECT_EQ(3u, reread.Count()) << "a record appended after the cut is whole";
}

TEST_F(CatalogueTest, CountingByUrlsAloneAgreesWithALoad)
{
    size_t counted = 99;
    EXPECT_EQ(S_FALSE, CountCatalogueItems(path_, &counted)) << "no file yet";
    EXPECT_EQ(0u, counted);
    std::uint64_t whole = 0;
    {
        Catalogue catalogue;
        ASSERT_EQ(S_OK, catalogue.OpenForWriting(path_));
        for (const wchar_t* url : {L"brw://a/db", L"brw://a/db/1", L"brw://a/db/1#1#x.doc", L"brw://a/dbx/1",
                                   L"brw://a/dbx/1", L"brw://a/dbx/2"}) {
            ASSERT_EQ(S_OK, catalogue.Put(Item(url, L"x")));
        }
        ASSERT_EQ(S_OK, catalogue.RemoveBelow(L"brw://a/db"));
        ASSERT_EQ(S_OK, catalogue.Put(Item(L"brw://a/db/2", L"x")));
        whole = FileSize();
        ASSERT_EQ(S_OK, catalogue.Put(Item(L"brw://a/db/3", L"x")));
    }
    ASSERT_EQ(S_OK, CountCatalogueItems(path_, &counted));
    EXPECT_EQ(4u, counted) << "replaced once, removed below, added after";
    Truncate(whole + 5);
    Catalogue reread;
    ASSERT_EQ(S_OK, reread.Load(path_));
    ASSERT_EQ(S_OK, CountCatalogueItems(path_, &counted));
    EXPECT_EQ(reread.Count(), counted) << "a damaged tail is not counted";
    EXPECT_EQ(3u, counted);
}

// Asked while the indexer appends: each answer is what a fresh count of the
// file says at that moment, including a removal and a record being written.
TEST_F(CatalogueTest, ACounterFollowingTheFileAgreesWithAFreshCountEachTime)
{
    CatalogueCounter counter;
    size_t counted = 99;
    EXPECT_EQ(S_FALSE, counter.Count(path_, &counted)) << "no file yet";
    EXPECT_EQ(0u, counted);
    auto catalogue = std::make_unique<Catalogue>();
    ASSERT_EQ(S_OK, catalogue->OpenForWriting(path_));
    size_t fresh = 0;
    const auto agree = [&](const char* when) {
        ASSERT_EQ(S_OK, counter.Count(path_, &counted)) << when;
        ASSERT_EQ(S_OK, CountCatalogueItems(path_, &fresh)) << when;
        EXPECT_EQ(fresh, counted) << when;
    };
    agree("empty");
    ASSERT_EQ(S_OK, catalogue->Put(Item(L"brw://a/db/1", L"x")));
    ASSERT_EQ(S_OK, catalogue->Put(Item(L"brw://a/db/2", L"x")));
    agree("two added");
    ASSERT_EQ(S_OK, catalogue->Put(Item(L"brw://a/db/2", L"y")));
    ASSERT_EQ(S_OK, catalogue->Put(Item(L"brw://a/other/1", L"x")));
    agree("one replaced, one added");
    EXPECT_EQ(3u, counted);
    ASSERT_EQ(S_OK, catalogue->RemoveBelow(L"brw://a/db"));
    agree("removed below");
    EXPECT_EQ(1u, counted);
    const std::uint64_t whole = FileSize();
    ASSERT_EQ(S_OK, catalogue->Put(Item(L"brw://a/db/3", L"x")));
    catalogue.reset();
    Truncate(whole + 5); // a record still being written
    agree("a part of a record at the end");
    EXPECT_EQ(1u, counted);
}

TEST_F(CatalogueTest, ACounterStartsOverForAShorterOrAnotherFile)
{
    CatalogueCounter counter;
    size_t counted = 0;
    {
        Catalogue catalogue;
        ASSERT_EQ(S_OK, catalogue.OpenForWriting(path_));
        for (const wchar_t* url : {L"brw://a/1", L"brw://a/2", L"brw://a/3"}) {
            ASSERT_EQ(S_OK, catalogue.Put(Item(url, L"x")));
        }
    }
    ASSERT_EQ(S_OK, counter.Count(path_, &counted));
    EXPECT_EQ(3u, counted);
    ASSERT_TRUE(DeleteFileW(path_.c_str()));
    {
        Catalogue catalogue; // a reset's new, smaller catalogue under the same name
        ASSERT_EQ(S_OK, catalogue.OpenForWriting(path_));
        ASSERT_EQ(S_OK, catalogue.Put(Item(L"brw://b/1", L"x")));
    }
    ASSERT_EQ(S_OK, counter.Count(path_, &counted));
    EXPECT_EQ(1u, counted);
    const std::wstring other = path_ + L".other";
    EXPECT_EQ(S_FALSE, counter.Count(other, &counted));
    EXPECT_EQ(0u, counted);
    ASSERT_EQ(S_OK, counter.Count(path_, &counted));
    EXPECT_EQ(1u, counted) << "back to the first file, counted afresh";
}

TEST_F(CatalogueTest, AFlippedByteStopsReadingAtThatRecord)
{
    {
        Catalogue catalogue;
        ASSERT_EQ(S_OK, catalogue.OpenForWriting(path_));
        ASSERT_EQ(S_OK, catalogue.Put(Item(L"brw://a/1", L"one")));
        ASSERT_EQ(S_OK, catalogue.Put(Item(L"brw://a/2", L"two")));
    }
    FileHandle file(CreateFileW(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(FileSize() - 6);
    ASSERT_TRUE(SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN));
    const char flipped = 'Z';
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), &flipped, 1, &written, nullptr));
    file.reset();
    Catalogue reread;
    ASSERT_EQ(S_OK, reread.Load(path_));
    EXPECT_EQ(1u, reread.Count());
}

TEST_F(CatalogueTest, QueriesMatchEveryWordWithoutCaseAndFilterNewestFirst)
{
    Catalogue catalogue;
    ASSERT_EQ(S_OK, catalogue.OpenForWriting(path_));
    ASSERT_EQ(S_OK, catalogue.Put(Item(L"brw://a/1", L"Budget REVIEW for March", L"email", L"Ann Smith", 3)));
    ASSERT_EQ(S_OK, catalogue.Put(Item(L"brw://a/2", L"budget draft", L"document", L"Bob Jones", 5)));
    ASSERT_EQ(S_OK, catalogue.Put(Item(L"brw://a/3", L"review of the budget", L"email", L"Bob Jones", 4)));
    QueryRequest request;
    request.words = {L"budget", L"Review"};
    auto found = catalogue.Query(request);
    ASSERT_EQ(2u, found.size());
    EXPECT_EQ(L"brw://a/3", found[0]->url) << "newest first";
    EXPECT_EQ(L"brw://a/1", found[1]->url);

    request.words = {L"budget"};
    request.kind = L"EMAIL";
    EXPECT_EQ(2u, catalogue.Query(request).size());
    request.author = L"jones";
    ASSERT_EQ(1u, catalogue.Query(request).size());
    EXPECT_EQ(L"brw://a/3", catalogue.Query(request)[0]->url);

    QueryRequest byDate;
    byDate.fromDate = 4 * kDay;
    byDate.toDate = 4 * kDay;
    ASSERT_EQ(1u, catalogue.Query(byDate).size()) << "no words: every item in the range";
    byDate.itemType = L"BRW/Contact";
    EXPECT_TRUE(catalogue.Query(byDate).empty());

    QueryRequest limited;
    limited.words = {L"budget"};
    limited.maxResults = 1;
    ASSERT_EQ(1u, catalogue.Query(limited).size());
    EXPECT_EQ(L"brw://a/2", catalogue.Query(limited)[0]->url);
    limited.words = {L"budget", L"absent"};
    EXPECT_TRUE(catalogue.Query(limited).empty());
    limited.words = {L"--"};
    EXPECT_TRUE(catalogue.Query(limited).empty()) << "a query of no words at all finds nothing";
}

TEST_F(CatalogueTest, TheSnapshotAnswersAsTheCatalogueDoesAndOnlyWhileItIsCurrent)
{
    const std::wstring snapshotPath = path_ + L".idx";
    Catalogue catalogue;
    ASSERT_EQ(S_OK, catalogue.OpenForWriting(path_));
    ASSERT_EQ(S_OK, catalogue.Put(Item(L"brw://a/1", L"budget review", L"email", L"Ann Smith", 3)));
    ASSERT_EQ(S_OK, catalogue.Put(Item(L"brw://a/2", L"old text", L"document", L"Bob Jones", 5)));
    ASSERT_EQ(S_OK, catalogue.Put(Item(L"brw://a/2", L"budget draft", L"document", L"Bob Jones", 5)));
    ASSERT_EQ(S_OK, catalogue.Put(Item(L"brw://a/3", L"budget", L"email", L"Bob Jones", 4)));
    ASSERT_EQ(S_OK, catalogue.RemoveBelow(L"brw://a/3"));
    ASSERT_EQ(S_OK, WriteSnapshot(catalogue, snapshotPath));
    {
        CatalogueSnapshot snapshot;
        ASSERT_EQ(S_OK, snapshot.Open(snapshotPath, catalogue.ValidBytes()));
        QueryRequest request;
        request.words = {L"BUDGET"};
        auto found = snapshot.Query(request);
        ASSERT_EQ(2u, found.size()) << "replaced and removed items are not in it";
        EXPECT_EQ(L"brw://a/2", found[0].url);
        EXPECT_EQ(L"Bob Jones", found[0].TextOf(kKeyAuthor));
        request.words = {L"old"};
        EXPECT_TRUE(snapshot.Query(request).empty());
        request.words = {L"budget"};
        request.kind = L"email";
        ASSERT_EQ(1u, snapshot.Query(request).size());
        EXPECT_EQ(L"brw://a/1", snapshot.Query(request)[0].url);
        QueryRequest all;
        EXPECT_EQ(2u, snapshot.Query(all).size());

        CatalogueSnapshot stale;
        EXPECT_EQ(S_FALSE, stale.Open(snapshotPath, catalogue.ValidBytes() + 1));
        CatalogueSnapshot missing;
        EXPECT_EQ(S_FALSE, missing.Open(snapshotPath + L".none", catalogue.ValidBytes()));
    }
    // A damaged snapshot is refused, not read past its end.
    FileHandle file(CreateFileW(snapshotPath.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER at{};
    at.QuadPart = 40;
    ASSERT_TRUE(SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) && SetEndOfFile(file.get()));
    file.reset();
    CatalogueSnapshot damaged;
    EXPECT_EQ(S_FALSE, damaged.Open(snapshotPath, catalogue.ValidBytes()));
    DeleteFileW(snapshotPath.c_str());
}

TEST(RecordCodec, EveryTruncationOfARecordIsRefused)
{
    ItemRecord item;
    item.url = L"brw://a/1";
    item.text = L"text";
    PropertyValue list;
    list.key = kKeyAuthor;
    list.type = ValueType::TextList;
    list.texts = {L"a", L"b"};
    item.properties.push_back(list);
    ByteWriter writer;
    EncodeRecord(item, &writer);
    const std::string bytes = writer.Bytes();
    for (size_t size = 0; size < bytes.size(); ++size) {
        ByteReader reader(bytes.data(), size);
        ItemRecord decoded;
        EXPECT_FALSE(DecodeRecord(&reader, &decoded)) << "cut at " << size;
    }
    ByteReader reader(bytes.data(), bytes.size());
    ItemRecord decoded;
    ASSERT_TRUE(DecodeRecord(&reader, &decoded));
    EXPECT_EQ(L"b", decoded.Find(kKeyAuthor)->texts[1]);
}

TEST(RecordCodec, AHugeLengthIsRefusedBeforeAnyAllocation)
{
    ByteWriter writer;
    writer.U32(0xFFFFFFF0u);
    ByteReader reader(writer.Bytes().data(), writer.Bytes().size());
    std::wstring text;
    EXPECT_FALSE(reader.Text(&text));
}

TEST(WordIndex, WordsAreLetterAndDigitRunsInLowerCase)
{
    const auto words = SplitWords(L"Café-au-lait, R2D2; " + std::wstring(100, L'x'));
    ASSERT_EQ(5u, words.size());
    EXPECT_EQ(L"café", words[0]);
    EXPECT_EQ(L"r2d2", words[3]);
    EXPECT_EQ(kMaxWordLength, words[4].size());
}

} // namespace
} // namespace brw::winsearch
