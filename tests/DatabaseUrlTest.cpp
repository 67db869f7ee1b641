// One database, one URL: the crawl's notifier (32-bit) and the pull
// enumeration root -> database -> document (the 64-bit filters, against the
// connector's pipe server and data service) must build the same URL for the
// same document, however the database was named to each of them.
#include "common/ComHolders.h"
#include "common/ComObject.h"
#include "common/DebugConsole.h"
#include "common/WideString.h"
#include "connector/SettingsStore.h"
#include "handler/pipe/PipeClient.h"
#include "handler/protocol/NSFProtocol.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestRegistry.h"

#include <windows.h>
#include <filter.h>
#include <filterr.h>
#include <gtest/gtest.h>
#include <searchapi.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using brwtest::Quoted;

constexpr DWORD kWaitMs = 60000;
constexpr wchar_t kIdentity[] = L"{S-1-5-21-7}";
constexpr wchar_t kNoteId[] = L"8F6";
constexpr wchar_t kUrlNoteId[] = L"000008F6";

std::string RunTool(const std::wstring& commandLine)
{
    brwtest::RunningProcess process(brwtest::ProcessSpec{commandLine});
    const brwtest::ProcessResult result = process.Wait(kWaitMs);
    EXPECT_EQ(0u, result.exitCode) << brw::WideToUtf8(commandLine) << "\n" << result.output;
    return result.output;
}

bool WriteText(const std::wstring& path, const std::string& text)
{
    brw::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

std::string MemoDxl()
{
    return "<?xml version='1.0' encoding='UTF-8'?><database><document><noteinfo noteid='8f6'/>"
           "<item name='Form'><text>Memo</text></item><item name='Subject'><text>Plan</text></item>"
           "</document></database>";
}

// The URLs of the child chunks a filter announces.
std::vector<std::wstring> ChildUrls(IFilter* filter)
{
    std::vector<std::wstring> urls;
    ULONG flags = 0;
    EXPECT_EQ(S_OK, filter->Init(0, 0, nullptr, &flags));
    for (int guard = 0; guard < 1000; ++guard) {
        STAT_CHUNK stat = {};
        const HRESULT hr = filter->GetChunk(&stat);
        if (hr == FILTER_E_END_OF_CHUNKS) {
            return urls;
        }
        EXPECT_EQ(S_OK, hr);
        if (FAILED(hr)) {
            return urls;
        }
        PROPVARIANT* value = nullptr;
        if (SUCCEEDED(filter->GetValue(&value)) && value) {
            if (value->vt == (VT_VECTOR | VT_VARIANT) && value->capropvar.cElems == 2 &&
                value->capropvar.pElems[0].vt == VT_LPWSTR) {
                urls.push_back(value->capropvar.pElems[0].pwszVal);
            }
            PropVariantClear(value);
            CoTaskMemFree(value);
        }
    }
    ADD_FAILURE() << "the filter never ended";
    return urls;
}

class DatabaseUrls : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        const std::wstring notesdb = Quoted(brwtest::BinaryIn32BitTree(L"platform\\notes\\notesdb.exe"));
        RunTool(notesdb + L" create " + Quoted(root_.Sub(L"data")) + L" --ini " + Quoted(Ini()));
        ASSERT_TRUE(CreateDirectoryW(root_.Sub(L"data\\mail").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW(root_.Sub(L"outside").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW(root_.Sub(L"elsewhere").c_str(), nullptr));
        const std::wstring dxl = root_.Sub(L"memo.dxl");
        ASSERT_TRUE(WriteText(dxl, MemoDxl()));
        for (const wchar_t* database : {L"data\\mail\\a.nsf", L"outside\\o.nsf", L"elsewhere\\r.nsf"}) {
            RunTool(notesdb + L" import " + Quoted(dxl) + L" " + Quoted(root_.Sub(database)));
        }
    }

    void TearDown() override { CoUninitialize(); }

    std::wstring Ini() const { return root_.Sub(L"notes.ini"); }

    void Register(const std::wstring& databasePath)
    {
        ASSERT_TRUE(brwtest::SetString(HKEY_CURRENT_USER, brw::settings::kDatabasesKeyPath, databasePath, L""));
    }

    // What the crawl's notifier hands the catalogue for the note, the
    // database named as given.
    std::wstring NotifiedUrl(const std::wstring& databasePath)
    {
        const std::string output =
            RunTool(Quoted(brwtest::BinaryIn32BitTree(L"tests\\brw_notifier_url_host.exe")) + L" " + Quoted(Ini()) +
                    L" " + kIdentity + L" " + Quoted(databasePath) + L" " + kNoteId);
        return brw::Utf8ToWide(output.substr(0, output.find_first_of("\r\n")));
    }

    // Every document URL the filters announce from the crawl root down.
    std::vector<std::wstring> PulledUrls()
    {
        brwtest::RunningProcess connector(
            brwtest::ProcessSpec{Quoted(brwtest::BinaryIn32BitTree(L"tests\\brw_pipe_server_host.exe")) + L" " +
                                 Quoted(Ini()) + L" " + Quoted(brw::kConnectorPipeName)});
        EXPECT_TRUE(connector.WaitForOutput("ready", kWaitMs));
        brw::ComPtr<ISearchProtocol2> protocol;
        EXPECT_EQ(S_OK, brw::CreateAggregatableInstance<brw::CNSFProtocol>(nullptr, IID_ISearchProtocol2,
                                                                           protocol.put_void()));
        EXPECT_EQ(S_OK, protocol->Init(nullptr, nullptr, nullptr));
        std::vector<std::wstring> documents;
        for (const std::wstring& database : ChildrenOf(protocol.get(), std::wstring(L"brw://") + kIdentity + L"/")) {
            for (const std::wstring& document : ChildrenOf(protocol.get(), database)) {
                documents.push_back(document);
            }
        }
        return documents;
    }

    static std::vector<std::wstring> ChildrenOf(ISearchProtocol2* protocol, const std::wstring& url)
    {
        brw::ComPtr<IUrlAccessor> accessor;
        EXPECT_EQ(S_OK, protocol->CreateAccessor(url.c_str(), nullptr, nullptr, nullptr, accessor.put()));
        brw::ComPtr<IFilter> filter;
        EXPECT_EQ(S_OK, accessor->BindToFilter(filter.put())) << brw::WideToUtf8(url);
        return filter ? ChildUrls(filter.get()) : std::vector<std::wstring>();
    }

    brwtest::ScratchFolder root_{L"brwurl"};
    brwtest::ScratchKey settings_{HKEY_CURRENT_USER, brw::kSettingsKeyPath};
};

TEST_F(DatabaseUrls, TheNotifierAndTheFiltersNameEachDocumentAlike)
{
    ASSERT_TRUE(brwtest::SetDword(HKEY_CURRENT_USER, brw::kSettingsKeyPath, brw::settings::kScanned, 1));
    // One database of the directory registered once more as a user may
    // write it; one outside the data directory by its full path in other
    // letters and slashes; one by a relative path that leaves the data
    // directory.
    Register(L".\\Mail\\A.NSF");
    std::wstring outside = root_.Sub(L"Outside\\O.NSF");
    std::replace(outside.begin(), outside.end(), L'\\', L'/');
    Register(outside);
    Register(L"..\\Elsewhere\\R.nsf");

    const std::vector<std::wstring> pulled = PulledUrls();
    const std::set<std::wstring> distinct(pulled.begin(), pulled.end());
    EXPECT_EQ(distinct.size(), pulled.size()) << "a document announced twice";
    EXPECT_EQ(3u, pulled.size());

    const struct {
        const wchar_t* database;
        std::vector<std::wstring> spellings;
    } databases[] = {
        {L"mail", {root_.Sub(L"data\\mail\\a.nsf"), L"mail\\a.nsf", L".\\Mail\\A.nsf", L"mail/A.NSF"}},
        {L"outside", {root_.Sub(L"outside\\o.nsf"), outside}},
        {L"elsewhere", {L"..\\Elsewhere\\R.nsf", root_.Sub(L"elsewhere\\r.nsf")}},
    };
    for (const auto& database : databases) {
        std::wstring first;
        for (const std::wstring& spelling : database.spellings) {
            const std::wstring notified = NotifiedUrl(spelling);
            SCOPED_TRACE(brw::WideToUtf8(spelling) + " -> " + brw::WideToUtf8(notified));
            EXPECT_EQ(kUrlNoteId, notified.size() > 8 ? notified.substr(notified.size() - 8) : notified);
            EXPECT_NE(0u, distinct.count(notified)) << "the filters never announce what the notifier names";
            if (first.empty()) {
                first = notified;
            }
            EXPECT_EQ(notified, first) << database.database;
        }
    }
}

} // namespace
