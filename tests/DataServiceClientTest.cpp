// The data service as the connector runs it: BRWClient.dll contexts over
// BRWData.dll and the stand-in's Notes libraries, each context with a
// service of its own.
#include "connector/CommandContextHandle.h"
#include "notesdata/tests/NotesSandbox.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kPrologue[] = L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?>";
constexpr wchar_t kFailure[] = L"<failure/>";
constexpr wchar_t kExporterModule[] = L"nxrtf.dll";

// The reply, or the failure reply the pipe server sends for a failed command.
std::wstring Execute(BRWCommandContext context, const std::wstring& element)
{
    ClearCommandBuffer(context);
    const std::wstring request = kPrologue + element;
    if (ExecuteCommand(context, request.c_str()) != 0) {
        return kFailure;
    }
    std::vector<BYTE> bytes(static_cast<size_t>(GetReturnBufferSize(context)) + sizeof(wchar_t));
    DWORD length = 0;
    if (GetReturnBuffer(context, bytes.data(), static_cast<int>(bytes.size()), &length) != 0) {
        return kFailure;
    }
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), length / sizeof(wchar_t));
}

std::wstring ElementText(const std::wstring& reply, const std::wstring& name)
{
    const std::wstring open = L"<" + name + L">";
    const size_t start = reply.find(open);
    const size_t end = start == std::wstring::npos ? start : reply.find(L"</" + name + L">", start);
    return end == std::wstring::npos ? std::wstring() : reply.substr(start + open.size(), end - start - open.size());
}

bool Exists(const std::wstring& path)
{
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class DataServiceClient : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(nullptr, GetModuleHandleW(kExporterModule)) << "no context of an earlier case lives";
        ASSERT_TRUE(sandbox_.Start());
        ASSERT_TRUE(sandbox_.NewDatabase(L"memo.nsf").succeeded);
        const brwtest::NotesSandbox::ToolResult added = sandbox_.Notesdb(
            L"add \"" + sandbox_.DataPath(L"memo.nsf") + L"\" --text Subject=Budget --richtext \"Body=Plan for 1995\"");
        ASSERT_TRUE(added.succeeded) << added.output;
        const unsigned long id = std::strtoul(added.output.c_str(), nullptr, 16);
        ASSERT_NE(0ul, id) << added.output;
        wchar_t hex[16] = {};
        swprintf(hex, std::size(hex), L"%lX", id);
        noteId_ = hex;
    }

    std::wstring Preview(BRWCommandContext context)
    {
        return ElementText(Execute(context, L"<get_document db=\"memo.nsf\" tempdir=\"" + sandbox_.TempDir() +
                                                L"\" id=\"" + noteId_ + L"\" preview=\"true\"/>"),
                           L"rtf");
    }

    brwtest::NotesSandbox sandbox_;
    std::wstring noteId_;
};

TEST_F(DataServiceClient, ThePreviewConverterOutlivesAFreedContextAndGoesWithTheLast)
{
    brw::CommandContextHandle first = brw::MakeCommandContext();
    brw::CommandContextHandle second = brw::MakeCommandContext();
    ASSERT_TRUE(first && second);
    first.reset();
    const std::wstring rtf = Preview(second.get());
    EXPECT_TRUE(Exists(rtf)) << "the reply names " << std::string(rtf.begin(), rtf.end());
    EXPECT_NE(nullptr, GetModuleHandleW(kExporterModule));
    second.reset();
    EXPECT_EQ(nullptr, GetModuleHandleW(kExporterModule));
}

TEST_F(DataServiceClient, DeclaredDocumentTypesAndOtherMachinesGetTheFailureReply)
{
    brw::CommandContextHandle context = brw::MakeCommandContext();
    ASSERT_TRUE(context);
    EXPECT_EQ(kFailure,
              Execute(context.get(), L"<!DOCTYPE get_document [<!ENTITY x SYSTEM \"file:///C:/windows/win.ini\">]>"
                                     L"<get_document db=\"&x;\" id=\"" +
                                         noteId_ + L"\"/>"));
    for (const wchar_t* db : {L"\\\\srv\\share\\x.nsf", L"srv!!mail\\x.nsf"}) {
        EXPECT_EQ(kFailure,
                  Execute(context.get(), std::wstring(L"<get_document db=\"") + db + L"\" id=\"" + noteId_ + L"\"/>"));
    }
    EXPECT_NE(Execute(context.get(), L"<get_document db=\"memo.nsf\" id=\"" + noteId_ + L"\"/>").find(L"Budget"),
              std::wstring::npos);
    EXPECT_NE(Execute(context.get(),
                      L"<get_document db=\"" + sandbox_.DataPath(L"memo.nsf") + L"\" id=\"" + noteId_ + L"\"/>")
                  .find(L"Budget"),
              std::wstring::npos);
}

} // namespace
