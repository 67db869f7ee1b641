// The brw URL grammar, the canonical forms and the handler of each kind.
#include "handler/protocol/BrwUrl.h"
#include "handler/protocol/UrlHandlers.h"

#include <gtest/gtest.h>

namespace brw {
namespace {

struct UrlCase {
    const wchar_t* url;
    bool parses;
    UrlKind kind;
    const wchar_t* identity;
    const wchar_t* database;
    const wchar_t* noteId;
    int number;
    const wchar_t* name;
    const wchar_t* extension;
};

TEST(UrlGrammar, EveryKindAndItsEdges)
{
    const UrlCase cases[] = {
        {L"BRW://{X}/", true, UrlKind::Root, L"{X}", L"", L"", 0, L"", L""},
        {L"brw://{X}", true, UrlKind::Root, L"{X}", L"", L"", 0, L"", L""},
        {L"brw://X/", false, UrlKind::Root, L"", L"", L"", 0, L"", L""},
        {L"http://{X}/a.nsf/", false, UrlKind::Root, L"", L"", L"", 0, L"", L""},
        {L"brw:/{X}/", false, UrlKind::Root, L"", L"", L"", 0, L"", L""},
        {L"brw://}{/a.nsf/", false, UrlKind::Root, L"", L"", L"", 0, L"", L""},
        {L"brw://{X}/mail/a.nsf", true, UrlKind::Root, L"{X}", L"", L"", 0, L"", L""},
        {L"brw://{X}/mail/a.nsf/", true, UrlKind::Database, L"{X}", L"mail/a.nsf", L"", 0, L"", L""},
        {L"brw://{X}/a.NSF/12", true, UrlKind::Document, L"{X}", L"a.NSF", L"12", 0, L"", L""},
        {L"brw://{X}/a.Nsf/12", true, UrlKind::Root, L"{X}", L"", L"", 0, L"", L""},
        {L"brw://{X}/a.nsf/12#0#body", true, UrlKind::MessageBody, L"{X}", L"a.nsf", L"12", 0, L"body", L""},
        {L"brw://{X}/a.nsf/12#3#x.tar.gz", true, UrlKind::Attachment, L"{X}", L"a.nsf", L"12", 3, L"x.tar.gz", L"gz"},
        {L"brw://{X}/a.nsf/12#5", true, UrlKind::MessageBody, L"{X}", L"a.nsf", L"12", 0, L"brw://{X}/a.nsf/12#5",
         L"nsf/12#5"},
        {L"brw://{X}/a.nsf/12#2#README", true, UrlKind::Attachment, L"{X}", L"a.nsf", L"12", 2, L"README", L""},
        {L"brw://{X}/a.nsf/12#x#n.doc", true, UrlKind::MessageBody, L"{X}", L"a.nsf", L"12", 0, L"n.doc", L"doc"},
        {L"brw://{X}/a.nsf/12#99999999999#n.doc", true, UrlKind::Attachment, L"{X}", L"a.nsf", L"12", 0x7FFFFFFF,
         L"n.doc", L"doc"},
        {L"brw://{S-1-5-21-1-2-3-1001}/mail/jdoe.nsf/00001A2B#2#report.doc", true, UrlKind::Attachment,
         L"{S-1-5-21-1-2-3-1001}", L"mail/jdoe.nsf", L"00001A2B", 2, L"report.doc", L"doc"},
    };
    for (const UrlCase& c : cases) {
        SCOPED_TRACE(c.url);
        ParsedBrwUrl parsed;
        parsed.attachmentNumber = 77;
        ASSERT_EQ(c.parses, ParseBrwUrl(c.url, &parsed));
        EXPECT_EQ(c.number, parsed.attachmentNumber);
        if (!c.parses) {
            continue;
        }
        EXPECT_EQ(c.kind, parsed.kind);
        EXPECT_EQ(c.identity, parsed.identity);
        EXPECT_EQ(c.database, parsed.databasePath);
        EXPECT_EQ(c.noteId, parsed.noteId);
        EXPECT_EQ(c.name, parsed.attachmentName);
        EXPECT_EQ(c.extension, parsed.extension);
    }
    ParsedBrwUrl parsed;
    EXPECT_FALSE(ParseBrwUrl(nullptr, &parsed));
    EXPECT_FALSE(ParseBrwUrl(L"brw", &parsed));
}

TEST(UrlGrammar, CanonicalFormsParseBackToTheirParts)
{
    const std::wstring database = MakeDatabaseUrl(L"{S-1}", L"Mail\\JDoe.NSF");
    EXPECT_EQ(L"brw://{S-1}/mail/jdoe.nsf/", database);
    EXPECT_EQ(L"brw://{S-1}/mail/jdoe.nsf/0000001F", MakeDocumentUrl(L"{S-1}", L"mail/jdoe.nsf", L"0000001F"));
    const std::wstring attachment = MakeAttachmentUrl(L"{S-1}", L"C:\\Data\\A.nsf", L"000020A4", 3, L"Plan.XLS");
    EXPECT_EQ(L"brw://{S-1}/c:/data/a.nsf/000020A4#3#Plan.XLS", attachment);
    ParsedBrwUrl parsed;
    ASSERT_TRUE(ParseBrwUrl(attachment.c_str(), &parsed));
    EXPECT_EQ(UrlKind::Attachment, parsed.kind);
    EXPECT_EQ(L"c:/data/a.nsf", parsed.databasePath);
    EXPECT_EQ(3, parsed.attachmentNumber);
    EXPECT_EQ(L"XLS", parsed.extension);
}

TEST(UrlHandlerFactory, EachKindGetsItsHandler)
{
    EXPECT_EQ(nullptr, CreateUrlHandler(L"brw://X/"));
    EXPECT_EQ(nullptr, CreateUrlHandler(nullptr));
    auto root = CreateUrlHandler(L"brw://{X}/");
    ASSERT_NE(nullptr, root);
    EXPECT_TRUE(root->IsDirectory());
    EXPECT_NE(nullptr, dynamic_cast<NSFNotesURLHandler*>(root.get()));
    auto database = CreateUrlHandler(L"brw://{X}/a.nsf/");
    ASSERT_NE(nullptr, database);
    EXPECT_TRUE(database->IsDirectory());
    auto document = CreateUrlHandler(L"brw://{X}/a.nsf/0000001F");
    ASSERT_NE(nullptr, document);
    EXPECT_FALSE(document->IsDirectory());
    auto attachment = CreateUrlHandler(L"brw://{X}/a.nsf/0000001F#1#a.txt");
    ASSERT_NE(nullptr, attachment);
    EXPECT_FALSE(attachment->IsDirectory());
    wchar_t buffer[8] = {};
    DWORD length = 5;
    ULONGLONG size = 9;
    EXPECT_EQ(E_NOTIMPL, attachment->GetFileName(buffer, 8, &length));
    EXPECT_EQ(E_NOTIMPL, attachment->GetSize(&size));
    EXPECT_EQ(0u, size);
    EXPECT_EQ(E_NOTIMPL, attachment->GetDocFormat(buffer, 8, &length));
}

} // namespace
} // namespace brw
