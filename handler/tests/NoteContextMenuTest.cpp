// The result's shortcut menu inside a menu that already holds the shell's
// own items, and its commands reaching the opener on a thread of their own.
#include "handler/shell/NoteContextMenu.h"

#include "common/ComHolders.h"
#include "common/Handles.h"
#include "tests/support/CallerTrace.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <shellapi.h>
#include <shobjidl.h>
#include <strsafe.h>

#include <string>

namespace brw {
namespace {

constexpr wchar_t kDocumentUrl[] = L"brw://{S-1}/mail/jdoe.nsf/0000001F";
constexpr wchar_t kAttachmentUrl[] = L"brw://{S-1}/mail/jdoe.nsf/0000001F#2#Plan.xls";

// What the menu handed to the opener, and when. One menu command at a time.
struct OpenRecord {
    std::wstring verb;
    std::wstring url;
    DWORD threadId = 0;
    KernelHandle opened{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    // The opener waits for this before it returns, so a test can show that
    // InvokeCommand came back while the open was still running.
    KernelHandle release{CreateEventW(nullptr, TRUE, TRUE, nullptr)};
};
OpenRecord* g_record = nullptr;

int WINAPI RecordingOpener(const wchar_t* verb, const wchar_t* url)
{
    g_record->verb = verb;
    g_record->url = url;
    g_record->threadId = GetCurrentThreadId();
    SetEvent(g_record->opened.get());
    WaitForSingleObject(g_record->release.get(), INFINITE);
    return 0;
}

struct MenuDestroyer {
    using pointer = HMENU;
    static pointer Invalid() { return nullptr; }
    static bool IsValid(pointer menu) { return menu != nullptr; }
    static void Close(pointer menu) { DestroyMenu(menu); }
};
using MenuHandle = UniqueResource<MenuDestroyer>;

class ContextMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_record = &record;
        ASSERT_TRUE(menu);
        for (UINT id : {1u, 2u, 3u}) {
            const std::wstring text = L"Shell item " + std::to_wstring(id);
            ASSERT_TRUE(AppendMenuW(menu.get(), MF_STRING, id, text.c_str()));
        }
    }
    void TearDown() override
    {
        // An opener still running must be let go before its record goes.
        SetEvent(record.release.get());
        g_record = nullptr;
    }

    ComPtr<IContextMenu> MenuFor(const wchar_t* url)
    {
        CNoteContextMenu* object = new CNoteContextMenu(&RecordingOpener);
        object->SetUrl(url);
        ComPtr<IContextMenu> result;
        EXPECT_EQ(S_OK, InitializeAndQuery(object, IID_IContextMenu, result.put_void()));
        return result;
    }

    std::wstring TextAt(UINT position)
    {
        wchar_t text[64] = {};
        GetMenuStringW(menu.get(), position, text, ARRAYSIZE(text), MF_BYPOSITION);
        return text;
    }

    void ExpectOpened(const wchar_t* verb, const wchar_t* url, const char* file = __builtin_FILE(),
                      int line = __builtin_LINE())
    {
        const brwtest::CallerTrace trace(file, line);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(record.opened.get(), 10000));
        EXPECT_EQ(verb, record.verb);
        EXPECT_EQ(url, record.url);
        EXPECT_NE(GetCurrentThreadId(), record.threadId);
    }

    OpenRecord record;
    MenuHandle menu{CreatePopupMenu()};
};

TEST_F(ContextMenu, AttachmentCommandsGoAtTheIndexWithTheirIdsAndTheFirstAsDefault)
{
    ComPtr<IContextMenu> context = MenuFor(kAttachmentUrl);
    const HRESULT hr = context->QueryContextMenu(menu.get(), 1, 100, 200, CMF_NORMAL);
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2), hr);
    ASSERT_EQ(5, GetMenuItemCount(menu.get()));
    EXPECT_EQ(L"Shell item 1", TextAt(0));
    EXPECT_EQ(L"Open Attachment", TextAt(1));
    EXPECT_EQ(L"Open Message", TextAt(2));
    EXPECT_EQ(L"Shell item 2", TextAt(3));
    EXPECT_EQ(L"Shell item 3", TextAt(4));
    EXPECT_EQ(100u, GetMenuItemID(menu.get(), 1));
    EXPECT_EQ(101u, GetMenuItemID(menu.get(), 2));
    EXPECT_EQ(100u, GetMenuDefaultItem(menu.get(), FALSE, 0));
    EXPECT_EQ(1u, GetMenuDefaultItem(menu.get(), TRUE, 0));
}

TEST_F(ContextMenu, AddsOnlyWhatTheShellLeavesRoomForAndCountsIt)
{
    struct Case {
        const wchar_t* url;
        UINT first;
        UINT last;
        UINT flags;
        int added;
    };
    const Case cases[] = {
        {kDocumentUrl, 10, 20, CMF_NORMAL, 1},   {kAttachmentUrl, 10, 20, CMF_DEFAULTONLY, 1},
        {kAttachmentUrl, 10, 10, CMF_NORMAL, 1}, {kAttachmentUrl, 10, 9, CMF_NORMAL, 0},
        {kAttachmentUrl, 10, 11, CMF_NORMAL, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "first " << c.first << " last " << c.last);
        MenuHandle fresh(CreatePopupMenu());
        ComPtr<IContextMenu> context = MenuFor(c.url);
        EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, c.added),
                  context->QueryContextMenu(fresh.get(), 0, c.first, c.last, c.flags));
        EXPECT_EQ(c.added, GetMenuItemCount(fresh.get()));
    }
    ComPtr<IContextMenu> context = MenuFor(kDocumentUrl);
    EXPECT_EQ(E_INVALIDARG, context->QueryContextMenu(nullptr, 0, 1, 2, CMF_NORMAL));
}

TEST_F(ContextMenu, AnIndexPastTheEndAppends)
{
    ComPtr<IContextMenu> context = MenuFor(kDocumentUrl);
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1), context->QueryContextMenu(menu.get(), 99, 7, 7, CMF_NORMAL));
    EXPECT_EQ(L"Open", TextAt(3));
    EXPECT_EQ(7u, GetMenuItemID(menu.get(), 3));
}

TEST_F(ContextMenu, InvokedByOffsetOpensOnAnotherThreadWithoutWaitingForIt)
{
    ResetEvent(record.release.get());
    ComPtr<IContextMenu> context = MenuFor(kAttachmentUrl);
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof(info);
    info.lpVerb = MAKEINTRESOURCEA(1);
    EXPECT_EQ(S_OK, context->InvokeCommand(&info));
    ExpectOpened(L"Open", kAttachmentUrl);
    context.reset(); // the worker holds its own copies
    SetEvent(record.release.get());
}

TEST_F(ContextMenu, InvokedByVerbTextNarrowOrWideInAnyCase)
{
    {
        ComPtr<IContextMenu> context = MenuFor(kAttachmentUrl);
        CMINVOKECOMMANDINFO info = {};
        info.cbSize = sizeof(info);
        info.lpVerb = "openattachment";
        EXPECT_EQ(S_OK, context->InvokeCommand(&info));
        ExpectOpened(L"Openattachment", kAttachmentUrl);
    }
    ResetEvent(record.opened.get());
    {
        ComPtr<IContextMenu> context = MenuFor(kDocumentUrl);
        CMINVOKECOMMANDINFOEX info = {};
        info.cbSize = sizeof(info);
        info.fMask = CMIC_MASK_UNICODE;
        info.lpVerb = "not read when the wide verb is given";
        info.lpVerbW = L"open";
        EXPECT_EQ(S_OK, context->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info)));
        ExpectOpened(L"Open", kDocumentUrl);
    }
}

TEST_F(ContextMenu, RefusesCommandsItDoesNotOfferAndOpensNothing)
{
    ComPtr<IContextMenu> document = MenuFor(kDocumentUrl);
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof(info);
    info.lpVerb = MAKEINTRESOURCEA(1);
    EXPECT_EQ(E_INVALIDARG, document->InvokeCommand(&info));
    info.lpVerb = "Openattachment";
    EXPECT_EQ(E_INVALIDARG, document->InvokeCommand(&info));
    const std::string longVerb(100000, 'o');
    info.lpVerb = longVerb.c_str();
    EXPECT_EQ(E_INVALIDARG, document->InvokeCommand(&info));
    info.cbSize = sizeof(info) - 1;
    info.lpVerb = MAKEINTRESOURCEA(0);
    EXPECT_EQ(E_INVALIDARG, document->InvokeCommand(&info));
    EXPECT_EQ(E_INVALIDARG, document->InvokeCommand(nullptr));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(record.opened.get(), 0));
}

TEST_F(ContextMenu, CommandStringsByTypeCutShortAndTerminated)
{
    ComPtr<IContextMenu> attachment = MenuFor(kAttachmentUrl);
    ComPtr<IContextMenu> document = MenuFor(kDocumentUrl);
    wchar_t wide[64];
    EXPECT_EQ(S_OK, attachment->GetCommandString(1, GCS_VERBW, nullptr, reinterpret_cast<char*>(wide), 64));
    EXPECT_EQ(std::wstring(L"Open"), wide);
    EXPECT_EQ(S_OK, attachment->GetCommandString(0, GCS_HELPTEXTW, nullptr, reinterpret_cast<char*>(wide), 64));
    EXPECT_EQ(std::wstring(L"Open the attachment"), wide);
    char narrow[64];
    EXPECT_EQ(S_OK, document->GetCommandString(0, GCS_HELPTEXTA, nullptr, narrow, 64));
    EXPECT_EQ(std::string("Open the Document in IBM Lotus Notes"), narrow);
    EXPECT_EQ(S_OK, attachment->GetCommandString(0, GCS_VERBA, nullptr, narrow, 64));
    EXPECT_EQ(std::string("Openattachment"), narrow);

    wchar_t small[8] = {L'#', L'#', L'#', L'#', L'#', L'#', L'#', L'#'};
    EXPECT_EQ(STRSAFE_E_INSUFFICIENT_BUFFER,
              attachment->GetCommandString(1, GCS_HELPTEXTW, nullptr, reinterpret_cast<char*>(small), 5));
    EXPECT_EQ(std::wstring(L"Open"), small);
    EXPECT_EQ(L'#', small[5]) << "nothing written past cchMax";

    EXPECT_EQ(E_INVALIDARG, document->GetCommandString(1, GCS_VERBW, nullptr, reinterpret_cast<char*>(wide), 64));
    EXPECT_EQ(E_INVALIDARG, document->GetCommandString(0, GCS_VERBW, nullptr, reinterpret_cast<char*>(wide), 0));
    EXPECT_EQ(E_INVALIDARG,
              document->GetCommandString(0, GCS_VERBW, nullptr, reinterpret_cast<char*>(wide), 0x80000000u));
    EXPECT_EQ(S_OK, document->GetCommandString(0, GCS_VALIDATEW, nullptr, nullptr, 0));
}

TEST_F(ContextMenu, TheClassTableMenuAndTheFoldersMenuAnswerOnlyIContextMenu)
{
    ComPtr<IContextMenu> context;
    ASSERT_EQ(S_OK, CreateNoteContextMenu(kAttachmentUrl, IID_IContextMenu, context.put_void()));
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2), context->QueryContextMenu(menu.get(), 0, 1, 9, CMF_NORMAL));
    ComPtr<IUnknown> other;
    void* none = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_NOINTERFACE, CreateNoteContextMenu(kDocumentUrl, IID_IShellFolder, &none));
    EXPECT_EQ(nullptr, none);
    ComPtr<IContextMenu> blank;
    ASSERT_EQ(S_OK, CreateInstance<CNoteContextMenu>(nullptr, IID_IContextMenu, blank.put_void()));
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1), blank->QueryContextMenu(menu.get(), 0, 1, 9, CMF_NORMAL));
}

} // namespace
} // namespace brw
