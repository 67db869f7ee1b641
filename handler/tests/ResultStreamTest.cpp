// The preview pane's stream of a result: the folders ask the connector for
// the body or the attachment and open the file it names, only when that file
// lies in the temporary folder the request named.
#include "common/ComHolders.h"
#include "handler/shell/SearchResult.h"
#include "handler/shell/SearchResultsShell.h"
#include "handler/tests/FilterTestSupport.h"
#include "handler/tests/ShellItemSupport.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>

namespace brw {
namespace {

using brwtest::ConnectorStandIn;
using brwtest::FileAccess;
using brwtest::GuardedBytes;
using brwtest::ResultItemBytes;
using brwtest::TemporaryFile;

constexpr wchar_t kDocumentUrl[] = L"brw://{S-1}/mail/jdoe.nsf/0000001F";
constexpr wchar_t kAttachmentUrl[] = L"brw://{S-1}/mail/jdoe.nsf/0000001F#2#plan.xls";

std::wstring ReadAll(IStream* stream)
{
    std::wstring text;
    wchar_t buffer[256];
    ULONG read = 0;
    while (SUCCEEDED(stream->Read(buffer, sizeof(buffer), &read)) && read > 0) {
        text.append(buffer, read / sizeof(wchar_t));
    }
    return text;
}

class ResultStream : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_EQ(S_OK, CreateInstance<CSearchResultsShell>(nullptr, IID_IShellFolder, shell.put_void()));
        ASSERT_EQ(S_OK, CreateInstance<CSearchResult>(nullptr, IID_IShellFolder, result.put_void()));
    }
    void TearDown() override
    {
        shell.reset();
        result.reset();
        CoUninitialize();
    }

    ComPtr<IShellFolder> shell;
    ComPtr<IShellFolder> result;
};

TEST_F(ResultStream, AttachmentStreamIsTheExtractedFileLeftToTheManager)
{
    const TemporaryFile extracted(L"attachment bytes", FileAccess::ReadOnly, L".xls");
    ConnectorStandIn connector([&](const std::wstring&) {
        return L"<document><attachment><diskfilename>" + extracted.Path() + L"</diskfilename></attachment></document>";
    });
    const GuardedBytes item(ResultItemBytes(kAttachmentUrl));
    {
        ComPtr<IStream> stream;
        ASSERT_EQ(S_OK, shell->BindToObject(item.item(), nullptr, IID_IStream, stream.put_void()));
        EXPECT_EQ(L"attachment bytes", ReadAll(stream.get()));
    }
    const std::wstring request = connector.LastRequest();
    EXPECT_NE(std::wstring::npos, request.find(L"attnum=\"2\" manage=\"true\" preview=\"true\"")) << request;
    shell.reset();
    EXPECT_TRUE(extracted.Exists()) << "the temporary-file manager owns it; the folder must not delete it too";
}

TEST_F(ResultStream, DocumentStreamIsTheBodyFileAskedWithoutTheManagerByTheResultFolder)
{
    const TemporaryFile body(L"{\\rtf1 body}", FileAccess::ReadOnly, L".rtf");
    ConnectorStandIn connector(
        [&](const std::wstring&) { return L"<document><rtf>" + body.Path() + L"</rtf></document>"; });
    const GuardedBytes item(ResultItemBytes(kDocumentUrl));
    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, result->BindToObject(item.item(), nullptr, IID_IStream, stream.put_void()));
    EXPECT_EQ(L"{\\rtf1 body}", ReadAll(stream.get()));
    const std::wstring request = connector.LastRequest();
    EXPECT_NE(std::wstring::npos, request.find(L"id=\"0000001F\" attnum=\"0\" manage=\"false\" preview=\"false\""))
        << request;
}

TEST_F(ResultStream, NothingToStreamFailsWithoutTouchingOtherFiles)
{
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring outside = std::wstring(system) + L"\\kernel32.dll";
    const TemporaryFile body(L"body", FileAccess::ReadOnly, L".rtf");
    struct Case {
        const char* what;
        std::wstring reply;
    };
    const Case cases[] = {
        {"a failure reply", L"<failure/>"},
        {"a deleted document", L"<deletedoc/>"},
        {"no file named", L"<document><subject>x</subject></document>"},
        {"a file outside the temporary folder", L"<document><rtf>" + outside + L"</rtf></document>"},
        {"the attachment element for a document",
         L"<document><diskfilename>" + body.Path() + L"</diskfilename></document>"},
    };
    const GuardedBytes item(ResultItemBytes(kDocumentUrl));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ConnectorStandIn connector([&](const std::wstring&) { return c.reply; });
        void* stream = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(E_FAIL, shell->BindToObject(item.item(), nullptr, IID_IStream, &stream));
        EXPECT_EQ(nullptr, stream);
    }
    EXPECT_TRUE(body.Exists());
    void* storage = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_NOINTERFACE, shell->BindToObject(item.item(), nullptr, IID_IStorage, &storage));
    EXPECT_EQ(nullptr, storage);
}

} // namespace
} // namespace brw
