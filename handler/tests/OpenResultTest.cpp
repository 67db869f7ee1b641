// Opening a result, decided against a scripted environment: what is fetched,
// what is launched, when the message box comes, and what is refused.
#include "handler/protocol/OpenResult.h"

#include "common/PipeProtocol.h"
#include "tests/support/CallerTrace.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kTemp[] = L"C:\\users\\me\\Temp";
constexpr wchar_t kDocumentUrl[] = L"brw://{S-1-5-21-1}/mail/jdoe.nsf/00001A2B";
constexpr wchar_t kAttachmentUrl[] = L"brw://{S-1-5-21-1}/mail/jdoe.nsf/00001A2B#2#report.pdf";
constexpr wchar_t kDocumentTarget[] = L"notes:///mail/jdoe.nsf/0/00001A2B";

struct Fetch {
    std::wstring database;
    std::wstring noteId;
    brw::DocumentRequest what;
    std::wstring temporaryDirectory;
};

struct ScriptedReply {
    HRESULT result;
    std::wstring text;
};

class ScriptedEnvironment : public brw::OpenEnvironment {
public:
    std::wstring TemporaryDirectory() override { return kTemp; }
    HRESULT FetchDocument(brw::PipeReply* reply, const std::wstring& database, const std::wstring& noteId,
                          const brw::DocumentRequest& what, const std::wstring& temporaryDirectory) override
    {
        fetches.push_back({database, noteId, what, temporaryDirectory});
        if (replies.empty()) {
            ADD_FAILURE() << "an exchange nobody scripted";
            return E_UNEXPECTED;
        }
        const ScriptedReply next = replies.front();
        replies.pop_front();
        reply->Assign(next.text.c_str(), next.text.size());
        return next.result;
    }
    bool LaunchTarget(const std::wstring& target) override
    {
        launched.push_back(target);
        return targetsLaunch;
    }
    brw::FileLaunch LaunchAttachment(const std::wstring& path, const std::wstring& sourceUrl) override
    {
        attachments.push_back(path);
        sources.push_back(sourceUrl);
        return attachmentOutcome;
    }
    void ShowNotesLaunchFailure() override { ++messageBoxes; }

    std::deque<ScriptedReply> replies;
    bool targetsLaunch = true;
    brw::FileLaunch attachmentOutcome = brw::FileLaunch::Launched;

    std::vector<Fetch> fetches;
    std::vector<std::wstring> launched;
    std::vector<std::wstring> attachments;
    std::vector<std::wstring> sources;
    int messageBoxes = 0;
};

std::wstring AttachmentReply(const std::wstring& path)
{
    return L"<document><attachment><diskfilename>" + path + L"</diskfilename></attachment></document>";
}

void ExpectOnlyLaunched(const std::wstring& target, const ScriptedEnvironment& environment,
                        const char* file = __builtin_FILE(), int line = __builtin_LINE())
{
    const brwtest::CallerTrace trace(file, line);
    EXPECT_EQ(std::vector<std::wstring>{target}, environment.launched);
    EXPECT_TRUE(environment.attachments.empty());
    EXPECT_EQ(0, environment.messageBoxes);
}

struct KindCase {
    const wchar_t* verb;
    const wchar_t* url;
    const wchar_t* target;
};

TEST(OpenResult, EachUrlKindWithoutTheConnectorLaunchesItsNotesTarget)
{
    const KindCase cases[] = {
        {L"o", kDocumentUrl, kDocumentTarget},
        {L"Open", kDocumentUrl, kDocumentTarget},
        {L"p", L"brw://{S-1}/", L"notes:///"},
        {L"o", L"brw://{S-1}", L"notes:///"},
        {L"o", L"brw://{S-1}/mail/jdoe.nsf/", L"notes:///mail/jdoe.nsf"},
        {L"o", L"brw://{S-1}/mail/jdoe.nsf/00001A2B#0#body", kDocumentTarget},
        {L"Open", kAttachmentUrl, kDocumentTarget},
        {L"OPEN", kAttachmentUrl, kDocumentTarget},
        {L"open", kAttachmentUrl, kDocumentTarget},
        {L"o", L"brw://{S-1}/mail/jdoe.nsf/00001A2B#-3#a.pdf", kDocumentTarget},
    };
    for (const KindCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.verb << " " << c.url);
        ScriptedEnvironment environment;
        EXPECT_EQ(0, brw::OpenBrwUrl(c.verb, c.url, environment));
        ExpectOnlyLaunched(c.target, environment);
        EXPECT_TRUE(environment.fetches.empty());
    }
}

TEST(OpenResult, UrlsThatDoNotParseOrCouldInjectReturnOneAndShowNothing)
{
    const wchar_t* const refused[] = {
        L"",
        L"http://{S-1}/mail/jdoe.nsf/00001A2B",
        L"brw://S-1/mail/jdoe.nsf/00001A2B",
        L"\"brw://{S-1}/mail/jdoe.nsf/00001A2B\"",
        L"brw://{S-1}/-x.nsf/",
        L"brw://{S-1}/=x.nsf/00001A2B",
        L"brw://{S-1}/a\" -x.nsf/00001A2B",
        L"brw://{S-1}/a\r.nsf/00001A2B",
        L"brw://{S-1}/mail/jdoe.nsf/00001A2B\" -x",
        L"brw://{S-1}/mail/jdoe.nsf/000001A2B",
        L"brw://{S-1}/mail/jdoe.nsf/#2#a.pdf",
        L"brw://{S-1}/-x.nsf/00001A2B#2#a.pdf",
    };
    for (const wchar_t* url : refused) {
        SCOPED_TRACE(testing::Message() << url);
        ScriptedEnvironment environment;
        EXPECT_EQ(1, brw::OpenBrwUrl(L"o", url, environment));
        EXPECT_TRUE(environment.launched.empty());
        EXPECT_TRUE(environment.fetches.empty());
        EXPECT_EQ(0, environment.messageBoxes);
    }
    ScriptedEnvironment environment;
    EXPECT_EQ(1, brw::OpenBrwUrl(L"o", nullptr, environment));
    EXPECT_EQ(0, environment.messageBoxes);
}

TEST(OpenResult, AnAttachmentIsExtractedForTheConnectorsManagerAndLaunched)
{
    ScriptedEnvironment environment;
    const std::wstring file = std::wstring(kTemp) + L"\\Quexlink\\1_2\\report.pdf";
    environment.replies.push_back({S_OK, AttachmentReply(file)});

    EXPECT_EQ(0, brw::OpenBrwUrl(L"o", kAttachmentUrl, environment));

    ASSERT_EQ(1u, environment.fetches.size());
    EXPECT_EQ(L"mail/jdoe.nsf", environment.fetches[0].database);
    EXPECT_EQ(L"00001A2B", environment.fetches[0].noteId);
    EXPECT_EQ(2, environment.fetches[0].what.attachmentNumber);
    EXPECT_TRUE(environment.fetches[0].what.preview);
    EXPECT_TRUE(environment.fetches[0].what.manage);
    EXPECT_EQ(kTemp, environment.fetches[0].temporaryDirectory);
    EXPECT_EQ(std::vector<std::wstring>{file}, environment.attachments);
    EXPECT_EQ(std::vector<std::wstring>{kAttachmentUrl}, environment.sources);
    EXPECT_TRUE(environment.launched.empty());
}

struct FallbackCase {
    const char* what;
    ScriptedReply reply;
};

TEST(OpenResult, AnAttachmentThatCannotBeHadOrMustNotRunOpensItsDocument)
{
    const std::wstring under = std::wstring(kTemp) + L"\\Quexlink\\1_2\\";
    const FallbackCase cases[] = {
        {"connector unreachable", {brw::kConnectorUnavailable, L""}},
        {"reply without a file", {S_OK, L"<document><attachment/></document>"}},
        {"empty file element", {S_OK, AttachmentReply(L"")}},
        {"file outside the request folder", {S_OK, AttachmentReply(L"C:\\Windows\\notepad.pdf")}},
        {"file climbing out of it", {S_OK, AttachmentReply(under + L"..\\..\\..\\x.pdf")}},
        {"program", {S_OK, AttachmentReply(under + L"invoice.pdf.exe")}},
        {"script", {S_OK, AttachmentReply(under + L"run.vbs")}},
        {"shortcut", {S_OK, AttachmentReply(under + L"docs.lnk")}},
        {"html application", {S_OK, AttachmentReply(under + L"page.HTA")}},
        {"installer", {S_OK, AttachmentReply(under + L"setup.msi")}},
    };
    for (const FallbackCase& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedEnvironment environment;
        environment.replies.push_back(c.reply);
        EXPECT_EQ(0, brw::OpenBrwUrl(L"o", kAttachmentUrl, environment));
        EXPECT_EQ(1u, environment.fetches.size());
        ExpectOnlyLaunched(kDocumentTarget, environment);
    }
}

TEST(OpenResult, AFailedAttachmentLaunchOpensTheDocumentOnceThenTheMessageBoxOnce)
{
    ScriptedEnvironment environment;
    environment.replies.push_back({S_OK, AttachmentReply(std::wstring(kTemp) + L"\\q\\a.pdf")});
    environment.attachmentOutcome = brw::FileLaunch::Failed;
    EXPECT_EQ(0, brw::OpenBrwUrl(L"n", kAttachmentUrl, environment));
    EXPECT_EQ(1u, environment.fetches.size());
    EXPECT_EQ(1u, environment.attachments.size());
    EXPECT_EQ(std::vector<std::wstring>{kDocumentTarget}, environment.launched);
    EXPECT_EQ(0, environment.messageBoxes);

    ScriptedEnvironment noNotes;
    noNotes.replies.push_back({S_OK, AttachmentReply(std::wstring(kTemp) + L"\\q\\a.pdf")});
    noNotes.attachmentOutcome = brw::FileLaunch::Failed;
    noNotes.targetsLaunch = false;
    EXPECT_EQ(1, brw::OpenBrwUrl(L"n", kAttachmentUrl, noNotes));
    EXPECT_EQ(1u, noNotes.fetches.size());
    EXPECT_EQ(std::vector<std::wstring>{kDocumentTarget}, noNotes.launched);
    EXPECT_EQ(1, noNotes.messageBoxes);
}

TEST(OpenResult, AnAttachmentTheUserDeclinesAtThePromptEndsThere)
{
    ScriptedEnvironment environment;
    environment.replies.push_back({S_OK, AttachmentReply(std::wstring(kTemp) + L"\\q\\a.pdf")});
    environment.attachmentOutcome = brw::FileLaunch::Declined;
    EXPECT_EQ(0, brw::OpenBrwUrl(L"o", kAttachmentUrl, environment));
    EXPECT_TRUE(environment.launched.empty());
    EXPECT_EQ(0, environment.messageBoxes);
}

TEST(OpenResult, ViewIndexedTextLaunchesTheBodyFileOrStartsTheClientBare)
{
    const std::wstring body = std::wstring(kTemp) + L"\\Quexlink\\1_2\\00001A2B.txt";
    ScriptedEnvironment environment;
    environment.replies.push_back({S_OK, L"<document><rtf>" + body + L"</rtf></document>"});
    EXPECT_EQ(0, brw::OpenBrwUrl(L"viewindexedtext", kDocumentUrl, environment));
    ASSERT_EQ(1u, environment.fetches.size());
    EXPECT_EQ(0, environment.fetches[0].what.attachmentNumber);
    EXPECT_FALSE(environment.fetches[0].what.preview);
    EXPECT_TRUE(environment.fetches[0].what.manage);
    ExpectOnlyLaunched(body, environment);

    const ScriptedReply failures[] = {
        {brw::kDocumentDeleted, L""},
        {S_OK, L"<document/>"},
        {S_OK, L"<document><rtf>C:\\elsewhere\\a.txt</rtf></document>"},
        {S_OK, L"<document><rtf>" + std::wstring(kTemp) + L"\\q\\a.bat</rtf></document>"},
    };
    for (const ScriptedReply& failure : failures) {
        SCOPED_TRACE(testing::Message() << failure.text);
        ScriptedEnvironment bare;
        bare.replies.push_back(failure);
        EXPECT_EQ(0, brw::OpenBrwUrl(L"ViewIndexedText", kDocumentUrl, bare));
        ExpectOnlyLaunched(L"notes:///", bare);
    }
}

TEST(OpenResult, ViewIndexedTextOfAnAttachmentExtractsTheAttachment)
{
    ScriptedEnvironment environment;
    environment.replies.push_back({S_OK, AttachmentReply(std::wstring(kTemp) + L"\\q\\a.pdf")});
    EXPECT_EQ(0, brw::OpenBrwUrl(L"ViewIndexedText", kAttachmentUrl, environment));
    ASSERT_EQ(1u, environment.fetches.size());
    EXPECT_EQ(2, environment.fetches[0].what.attachmentNumber);
}

TEST(OpenResult, ANotesTargetThatCannotBeLaunchedShowsTheMessageBoxOnce)
{
    ScriptedEnvironment environment;
    environment.targetsLaunch = false;
    EXPECT_EQ(1, brw::OpenBrwUrl(L"o", kDocumentUrl, environment));
    EXPECT_EQ(1, environment.messageBoxes);
    EXPECT_EQ(std::vector<std::wstring>{kDocumentTarget}, environment.launched);
}

} // namespace
