// Change notifications: the URLs and kinds of the entries, the batches of
// 100 and when they are sent, when the catalogue counts as having taken a
// batch, and the immediate index request for one document.
#include "notesdata/crawl/IndexNotifier.h"

#include "common/WideString.h"
#include "connector/CrawlRoot.h"
#include "connector/UserIdentity.h"
#include "notesdata/exports/IndexDocument.h"
#include "notesdata/tests/DocumentFixture.h"
#include "platform/winsearch/core/StateFolder.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ServerRegistration.h"

#include <gtest/gtest.h>
#include <searchapi.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kIdentity[] = L"{S-1-5-21-1}";
constexpr wchar_t kMailPath[] = L"C:\\Notes\\Data\\mail\\a.nsf";
constexpr wchar_t kMailUrl[] = L"brw://{S-1-5-21-1}/c:/notes/data/mail/a.nsf/";

struct RecordedChange {
    SEARCH_KIND_OF_CHANGE kind;
    std::wstring url;
};

// Records every call and answers with the statuses and result it was told.
class FakeSink final : public ISearchItemsChangedSink {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override
    {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE StartedMonitoringScope(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE StoppedMonitoringScope(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnItemsChanged(DWORD count, SEARCH_ITEM_CHANGE entries[], DWORD[],
                                             HRESULT statuses[]) override
    {
        std::vector<RecordedChange> call;
        for (DWORD i = 0; i < count; ++i) {
            call.push_back({entries[i].Change, entries[i].lpwszURL});
            if (setsStatuses) {
                statuses[i] = i == successAt ? S_OK : status;
            }
        }
        calls.push_back(std::move(call));
        return result;
    }

    std::vector<std::vector<RecordedChange>> calls;
    HRESULT result = S_OK;
    HRESULT status = S_OK;
    DWORD successAt = ~0u; // the one entry answered with S_OK whatever status says
    bool setsStatuses = true;
    ULONG references = 1;
};

TEST(IndexNotifierUrl, IsTheHandlersCanonicalForm)
{
    EXPECT_EQ(brw::NoteDocumentUrl(kIdentity, kMailPath, 0x800001A2), std::wstring(kMailUrl) + L"000001A2");
    EXPECT_EQ(brw::NoteDocumentUrl(kIdentity, kMailPath, 0x7FFFFFFF), std::wstring(kMailUrl) + L"7FFFFFFF");
    EXPECT_EQ(brw::NoteAttachmentUrl(std::wstring(kMailUrl) + L"000001A2", 0, L"Plan Q1.xls"),
              std::wstring(kMailUrl) + L"000001A2#1#Plan Q1.xls");
}

TEST(IndexNotifierUrl, DatabasesOfTheDataDirectoryAreNamedRelativeToIt)
{
    EXPECT_EQ(L"mail\\a.nsf", brw::ListedDatabasePath(L"C:\\Notes\\Data\\mail\\a.nsf", L"c:\\notes\\data"));
    EXPECT_EQ(L"mail\\a.nsf", brw::ListedDatabasePath(L"C:\\Notes\\Data\\mail\\a.nsf", L"C:\\Notes\\Data\\"));
    EXPECT_EQ(L"C:\\Notes\\Data2\\a.nsf", brw::ListedDatabasePath(L"C:\\Notes\\Data2\\a.nsf", L"C:\\Notes\\Data"))
        << "a folder that only starts like the data directory is outside it";
    EXPECT_EQ(L"D:\\Archive\\old.nsf", brw::ListedDatabasePath(L"D:\\Archive\\old.nsf", L"C:\\Notes\\Data"));
    EXPECT_EQ(L"C:\\Notes\\Data\\", brw::ListedDatabasePath(L"C:\\Notes\\Data\\", L"C:\\Notes\\Data"));
    EXPECT_EQ(L"C:\\x.nsf", brw::ListedDatabasePath(L"C:\\x.nsf", L""));
}

TEST(IndexNotifierBatch, AddsAndDeletionsKeepTheirKindsAndZeroIdsAreSkipped)
{
    FakeSink sink;
    {
        brw::IndexNotifier notifier(kIdentity, L"", kMailPath, &sink);
        EXPECT_TRUE(notifier.OnNoteId(0x8F6));
        EXPECT_TRUE(notifier.OnNoteId(0));
        EXPECT_TRUE(notifier.OnNoteId(0x80000000));
        // The database does not exist, so a deletion has no attachments.
        EXPECT_TRUE(notifier.OnNoteId(0x800001A2));
        EXPECT_TRUE(sink.calls.empty()) << "nothing is sent before the batch is full or the notifier goes";
    }
    ASSERT_EQ(1u, sink.calls.size());
    ASSERT_EQ(2u, sink.calls[0].size());
    EXPECT_EQ(SEARCH_CHANGE_ADD, sink.calls[0][0].kind);
    EXPECT_EQ(sink.calls[0][0].url, std::wstring(kMailUrl) + L"000008F6");
    EXPECT_EQ(SEARCH_CHANGE_DELETE, sink.calls[0][1].kind);
    EXPECT_EQ(sink.calls[0][1].url, std::wstring(kMailUrl) + L"000001A2");
    EXPECT_EQ(1u, sink.references) << "the notifier let go of its reference";
}

TEST(IndexNotifierBatch, The101stIdIsSentInTheNextBatchAnd250GiveThreeCalls)
{
    FakeSink sink;
    {
        brw::IndexNotifier notifier(kIdentity, L"", kMailPath, &sink);
        for (DWORD id = 1; id <= 100; ++id) {
            ASSERT_TRUE(notifier.OnNoteId(id));
        }
        EXPECT_TRUE(sink.calls.empty()) << "a full batch waits for the next id";
        ASSERT_TRUE(notifier.OnNoteId(101));
        ASSERT_EQ(1u, sink.calls.size());
        EXPECT_EQ(sink.calls[0].back().url, std::wstring(kMailUrl) + L"00000064");
        for (DWORD id = 102; id <= 250; ++id) {
            ASSERT_TRUE(notifier.OnNoteId(id));
        }
    }
    ASSERT_EQ(3u, sink.calls.size());
    EXPECT_EQ(100u, sink.calls[0].size());
    EXPECT_EQ(100u, sink.calls[1].size());
    EXPECT_EQ(50u, sink.calls[2].size());
    EXPECT_EQ(sink.calls[1].front().url, std::wstring(kMailUrl) + L"00000065");
    EXPECT_EQ(sink.calls[2].back().url, std::wstring(kMailUrl) + L"000000FA");
}

// Fills a batch and sends it with the 101st id; OnNoteId's answer.
bool SendFullBatch(FakeSink& sink)
{
    brw::IndexNotifier notifier(kIdentity, L"", kMailPath, &sink);
    for (DWORD id = 1; id <= 100; ++id) {
        notifier.OnNoteId(id);
    }
    return notifier.OnNoteId(101);
}

TEST(IndexNotifierFlush, FailsOnlyWhenNothingWasTakenForAReasonOfTheCatalogues)
{
    FakeSink excluded;
    excluded.status = brw::kUrlExcludedStatus;
    EXPECT_FALSE(SendFullBatch(excluded)) << "every URL outside the scope";
    EXPECT_EQ(1u, excluded.calls.size()) << "a failed flush stops the walk: the 101st id is never sent";

    FakeSink oneTaken;
    oneTaken.status = brw::kUrlExcludedStatus;
    oneTaken.successAt = 57;
    EXPECT_TRUE(SendFullBatch(oneTaken));

    FakeSink otherErrors;
    otherErrors.status = E_INVALIDARG;
    EXPECT_TRUE(SendFullBatch(otherErrors)) << "the call went through and no URL was out of scope";

    FakeSink failedCall;
    failedCall.result = E_FAIL;
    failedCall.status = E_FAIL;
    failedCall.successAt = 0;
    EXPECT_TRUE(SendFullBatch(failedCall)) << "a failing call that still took one entry";

    FakeSink failedSilently;
    failedSilently.result = E_FAIL;
    failedSilently.setsStatuses = false;
    EXPECT_FALSE(SendFullBatch(failedSilently)) << "statuses the sink never wrote count as not taken";
}

TEST(IndexNotifierFlush, AFailedFlushEmptiesTheBatchAndDestructionSendsTheRest)
{
    FakeSink sink;
    sink.status = brw::kUrlExcludedStatus;
    {
        brw::IndexNotifier notifier(kIdentity, L"", kMailPath, &sink);
        for (DWORD id = 1; id <= 100; ++id) {
            notifier.OnNoteId(id);
        }
        EXPECT_FALSE(notifier.OnNoteId(101));
        sink.status = S_OK;
        EXPECT_TRUE(notifier.OnNoteId(102)) << "a later walk goes on with an empty batch";
    }
    ASSERT_EQ(2u, sink.calls.size());
    ASSERT_EQ(1u, sink.calls[1].size());
    EXPECT_EQ(sink.calls[1][0].url, std::wstring(kMailUrl) + L"00000066");
}

TEST(IndexNotifierFlush, WithoutASinkNothingIsTaken)
{
    brw::IndexNotifier notifier(kIdentity, L"", kMailPath, nullptr);
    EXPECT_TRUE(notifier.Flush()) << "an empty batch";
    EXPECT_TRUE(notifier.OnNoteId(1));
    EXPECT_FALSE(notifier.Flush());
}

std::string Note(const std::string& id, const std::string& items)
{
    return "<document><noteinfo noteid='" + id +
           "'><revised><datetime>19950506T110000,00+00</datetime></revised></noteinfo>" + items + "</document>";
}

std::string AttachedFile(const std::string& name)
{
    return "<item name='$FILE'><object><file name='" + name +
           "'><modified><datetime>19950505T093000,00+00</datetime></modified><filedata>" + brwtest::Base64("data") +
           "</filedata></file></object></item>";
}

class IndexDocumentTest : public brwtest::DocumentFixture {
protected:
    // A connector that hands out the test's sink and counts its calls.
    brw::SinkConnector Connector(HRESULT result = S_OK)
    {
        return [this, result](brw::ComPtr<ISearchItemsChangedSink>& out) {
            ++connections_;
            if (SUCCEEDED(result)) {
                out = brw::ComPtr<ISearchItemsChangedSink>(&sink_);
            }
            return result;
        };
    }

    // A database of the data directory is named by its relative path, as the
    // database list and so the handler's URLs name it.
    std::wstring UrlOf(const std::wstring& database, const std::wstring& id) const
    {
        std::wstring path = database;
        for (wchar_t& c : path) {
            c = c == L'\\' ? L'/' : c;
        }
        CharLowerBuffW(&path[0], static_cast<DWORD>(path.size()));
        return L"brw://" + brw::UserIdentity() + L"/" + path + L"/" + id;
    }

    FakeSink sink_;
    int connections_ = 0;
};

TEST_F(IndexDocumentTest, AnExistingNoteIsSentAsOneAddition)
{
    ImportDatabase(L"mail\\memo.nsf", Note("8f6", ""));
    EXPECT_TRUE(brw::IndexDocument(DataPath(L"mail\\memo.nsf").c_str(), L"8F6", Connector()));
    ASSERT_EQ(1u, sink_.calls.size());
    ASSERT_EQ(1u, sink_.calls[0].size());
    EXPECT_EQ(SEARCH_CHANGE_ADD, sink_.calls[0][0].kind);
    EXPECT_EQ(sink_.calls[0][0].url, UrlOf(L"mail\\memo.nsf", L"000008F6"));
    EXPECT_EQ(1u, sink_.references);
}

TEST_F(IndexDocumentTest, FailsForAMissingDatabaseOrNoteAndBadIdText)
{
    ImportDatabase(L"memo.nsf", Note("8f6", ""));
    const std::wstring path = DataPath(L"memo.nsf");
    EXPECT_FALSE(brw::IndexDocument(DataPath(L"missing.nsf").c_str(), L"8F6", Connector()));
    EXPECT_FALSE(brw::IndexDocument(nullptr, L"8F6", Connector()));
    EXPECT_EQ(0, connections_) << "no catalogue without a database";
    EXPECT_FALSE(brw::IndexDocument(path.c_str(), L"1A2", Connector()));
    for (const wchar_t* bad : {L"", L"0", L"8F6x", L"100000000", L"-8F6"}) {
        EXPECT_FALSE(brw::IndexDocument(path.c_str(), bad, Connector())) << bad;
    }
    EXPECT_FALSE(brw::IndexDocument(path.c_str(), nullptr, Connector()));
    EXPECT_FALSE(brw::IndexDocument(path.c_str(), std::wstring(2000, L'0').c_str(), Connector()));
    EXPECT_TRUE(sink_.calls.empty());
}

TEST_F(IndexDocumentTest, ADeletedNoteIsNotIndexed)
{
    NewDatabase(L"list.nsf");
    const unsigned long gone = AddNote(L"list.nsf", L"--form Memo --text Subject=gone");
    Notesdb(L"delete " + brwtest::Quoted(DataPath(L"list.nsf")) + L" " + brw::FormatText(L"%lX", gone));
    EXPECT_FALSE(brw::IndexDocument(DataPath(L"list.nsf").c_str(), brw::FormatText(L"%lX", gone).c_str(), Connector()));
    EXPECT_TRUE(sink_.calls.empty());

    // Its deletion is notified for the document alone: the note is gone.
    {
        brw::IndexNotifier notifier(brw::UserIdentity(), L"", DataPath(L"list.nsf"), &sink_);
        EXPECT_TRUE(notifier.OnNoteId(0x80000000 | gone));
    }
    ASSERT_EQ(1u, sink_.calls.size());
    ASSERT_EQ(1u, sink_.calls[0].size());
    EXPECT_EQ(SEARCH_CHANGE_DELETE, sink_.calls[0][0].kind);
    EXPECT_EQ(sink_.calls[0][0].url, UrlOf(L"list.nsf", brw::FormatText(L"%08lX", gone)));
}

TEST_F(IndexDocumentTest, FailsWhenTheCatalogueCannotBeReachedOrRefuses)
{
    ImportDatabase(L"memo.nsf", Note("8f6", ""));
    const std::wstring path = DataPath(L"memo.nsf");
    EXPECT_FALSE(brw::IndexDocument(path.c_str(), L"8F6", Connector(E_ACCESSDENIED)));
    sink_.status = brw::kUrlExcludedStatus;
    EXPECT_FALSE(brw::IndexDocument(path.c_str(), L"8F6", Connector()));
    EXPECT_EQ(1u, sink_.calls.size());
}

// A deletion whose note can still be read deletes its attachments too, by
// the names the document shows for them.
TEST_F(IndexDocumentTest, ADeletionThatStillOpensDeletesItsAttachments)
{
    ImportDatabase(L"att.nsf",
                   Note("8f6", "<item name='Body'><richtext><par><attachmentref name='ATT1' displayname='notes.txt'/>"
                               "</par></richtext></item>" +
                                   AttachedFile("ATT1") + AttachedFile("raw.bin")));
    {
        brw::IndexNotifier notifier(brw::UserIdentity(), L"", DataPath(L"att.nsf"), &sink_);
        EXPECT_TRUE(notifier.OnNoteId(0x800008F6));
    }
    const std::wstring document = UrlOf(L"att.nsf", L"000008F6");
    ASSERT_EQ(1u, sink_.calls.size());
    ASSERT_EQ(3u, sink_.calls[0].size());
    for (const RecordedChange& change : sink_.calls[0]) {
        EXPECT_EQ(SEARCH_CHANGE_DELETE, change.kind) << change.url;
    }
    EXPECT_EQ(sink_.calls[0][0].url, document);
    EXPECT_EQ(sink_.calls[0][1].url, document + L"#1#notes.txt");
    EXPECT_EQ(sink_.calls[0][2].url, document + L"#2#raw.bin");
}

TEST_F(IndexDocumentTest, AttachmentDeletionsThatFillTheBatchSendItBeforeGoingOn)
{
    ImportDatabase(L"att.nsf", Note("8f6", AttachedFile("a.txt") + AttachedFile("b.txt")));
    {
        brw::IndexNotifier notifier(brw::UserIdentity(), L"", DataPath(L"att.nsf"), &sink_);
        for (DWORD id = 1; id <= 99; ++id) {
            ASSERT_TRUE(notifier.OnNoteId(id));
        }
        EXPECT_TRUE(notifier.OnNoteId(0x800008F6));
        ASSERT_EQ(1u, sink_.calls.size()) << "the first attachment found the batch full";
    }
    const std::wstring document = UrlOf(L"att.nsf", L"000008F6");
    ASSERT_EQ(2u, sink_.calls.size());
    ASSERT_EQ(100u, sink_.calls[0].size());
    EXPECT_EQ(sink_.calls[0].back().url, document);
    ASSERT_EQ(2u, sink_.calls[1].size());
    EXPECT_EQ(sink_.calls[1][0].url, document + L"#1#a.txt");
    EXPECT_EQ(sink_.calls[1][1].url, document + L"#2#b.txt");

    sink_.calls.clear();
    sink_.status = brw::kUrlExcludedStatus;
    brw::IndexNotifier refused(brw::UserIdentity(), L"", DataPath(L"att.nsf"), &sink_);
    for (DWORD id = 1; id <= 99; ++id) {
        refused.OnNoteId(id);
    }
    EXPECT_FALSE(refused.OnNoteId(0x800008F6)) << "a refused batch in the middle of the attachments";
    EXPECT_EQ(1u, sink_.calls.size());
}

// The 32-bit Windows Search stand-in, registered in the prefix and keeping
// its state in a folder of the case's own for the life of the holder.
class StandInCatalogue {
public:
    explicit StandInCatalogue(const std::wstring& stateFolder)
        : stateFolder_(SetStateFolder(stateFolder)),
          registration_(brwtest::BinaryIn32BitTree(L"platform\\winsearch\\BRWSearchStandIn.dll"))
    {
    }
    ~StandInCatalogue() { SetEnvironmentVariableW(brw::winsearch::kStateFolderVariable, nullptr); }
    StandInCatalogue(const StandInCatalogue&) = delete;
    StandInCatalogue& operator=(const StandInCatalogue&) = delete;

    HRESULT Registered() const { return registration_.Result(); }

private:
    // Before the registration: the stand-in reads the folder when loaded.
    static std::wstring SetStateFolder(const std::wstring& folder)
    {
        SetEnvironmentVariableW(brw::winsearch::kStateFolderVariable, folder.c_str());
        return folder;
    }

    std::wstring stateFolder_;
    brwtest::ServerRegistration registration_;
};

class IndexDocumentCatalogueTest : public IndexDocumentTest {
protected:
    // The notifications waiting for the stand-in's indexer.
    std::wstring Queued() const
    {
        std::ifstream file((state_ + L"\\queue.txt").c_str(), std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return brw::Utf8ToWide(text.str());
    }

    brwtest::ScratchFolder scratch_{L"brwindexdoc"};
    std::wstring state_ = scratch_.Sub(L"state");
    StandInCatalogue catalogue_{state_};
};

TEST_F(IndexDocumentCatalogueTest, TheCatalogueQueuesTheDocumentOnceItsRootIsInTheScope)
{
    ASSERT_HRESULT_SUCCEEDED(catalogue_.Registered());
    ImportDatabase(L"mail\\memo.nsf", Note("8f6", ""));
    const std::wstring path = DataPath(L"mail\\memo.nsf");

    EXPECT_FALSE(brw::IndexDocument(path.c_str(), L"8F6")) << "outside the crawl scope";
    ASSERT_EQ(S_OK, brw::RegisterCrawlRoot());
    EXPECT_TRUE(brw::IndexDocument(path.c_str(), L"8F6"));
    EXPECT_EQ(1u, brwtest::CountOf(Queued(), L"\t" + UrlOf(L"mail\\memo.nsf", L"000008F6") + L"\n")) << Queued();
}

} // namespace
