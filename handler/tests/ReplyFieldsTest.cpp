// Lookups on hand-made replies, including truncated and hostile ones.
#include "handler/pipe/ReplyFields.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string_view>

namespace brw {
namespace {

// A text whose terminator is the last unit of a readable page, followed by
// a page that faults on any access: a lookup that reads one unit too far
// crashes the test.
class PageEndText {
public:
    explicit PageEndText(const std::wstring& text)
    {
        SYSTEM_INFO info = {};
        GetSystemInfo(&info);
        page_ = info.dwPageSize;
        const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        const size_t pages = (bytes + page_ - 1) / page_;
        base_ =
            static_cast<BYTE*>(VirtualAlloc(nullptr, (pages + 1) * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        VirtualProtect(base_ + pages * page_, page_, PAGE_NOACCESS, &old);
        text_ = reinterpret_cast<wchar_t*>(base_ + pages * page_ - bytes);
        std::memcpy(text_, text.c_str(), bytes);
    }
    ~PageEndText() { VirtualFree(base_, 0, MEM_RELEASE); }
    const wchar_t* get() const { return text_; }

private:
    size_t page_ = 0;
    BYTE* base_ = nullptr;
    wchar_t* text_ = nullptr;
};

TEST(FieldValue, FirstMatchEmptyValuesAndMissingTags)
{
    const wchar_t* reply = L"<textfield><name>Subject</name><value>First</value></textfield>"
                           L"<textfield><name>Subject</name><value>Second</value></textfield>"
                           L"<textfield><name>Empty</name><value></value></textfield>";
    std::wstring value;
    EXPECT_TRUE(GetFieldValue(reply, L"Subject", &value));
    EXPECT_EQ(L"First", value);
    value = L"keep";
    EXPECT_TRUE(GetFieldValue(reply, L"Empty", &value));
    EXPECT_EQ(L"keep", value);
    EXPECT_FALSE(HasFieldValue(reply, L"Empty"));
    EXPECT_TRUE(HasFieldValue(reply, L"Subject"));
    EXPECT_FALSE(GetFieldValue(reply, L"subject", &value)) << "names are case-sensitive";
    EXPECT_FALSE(GetFieldValue(L"<name>Subject</name><value>no end", L"Subject", &value));
    EXPECT_FALSE(GetFieldValue(std::wstring_view(), L"Subject", &value));
}

TEST(ReceivedReply, AnEmbeddedNulIsABlankAndTheRestIsStillFound)
{
    const std::wstring sent = std::wstring(L"<document><textfield><name>Junk</name><value>a") + L'\0' +
                              L"b\xFFFE&lt;</value></textfield><textfield><name>Subject</name><value>After"
                              L"</value></textfield><rtf>C:\\t\\body.txt</rtf><notesize>42</notesize></document>";
    PipeReply reply;
    reply.Assign(sent.data(), sent.size());
    ASSERT_EQ(reply.Length(), sent.size());
    EXPECT_EQ(std::wcslen(reply.Text()), sent.size()) << "no NUL ends the reply early";
    std::wstring value;
    ASSERT_TRUE(GetFieldValue(reply.View(), L"Junk", &value));
    EXPECT_EQ(std::wstring(L"a b\xFFFE<"), value);
    value.clear();
    EXPECT_TRUE(GetFieldValue(reply.View(), L"Subject", &value));
    EXPECT_EQ(L"After", value);
    EXPECT_TRUE(GetElementText(reply.View(), L"rtf", &value, 1));
    EXPECT_EQ(L"C:\\t\\body.txt", value);
    EXPECT_TRUE(GetElementText(reply.View(), L"notesize", &value, 1));
    EXPECT_EQ(L"42", value);
}

TEST(FieldValue, CharacterReferencesAreDecodedTagsMatchedRaw)
{
    const wchar_t* reply = L"<name>S</name><value>a &amp; b &lt;c&gt; &quot;&apos; &#65;&#x42;&#x1F600; &bogus; &#0; "
                           L"&#xD800; & trailing &</value>"
                           L"<name>T</name><value>&lt;/value&gt;inside</value>";
    std::wstring value;
    ASSERT_TRUE(GetFieldValue(reply, L"S", &value));
    EXPECT_EQ(L"a & b <c> \"' AB\xD83D\xDE00 &bogus; &#0; &#xD800; & trailing &", value);
    ASSERT_TRUE(GetFieldValue(reply, L"T", &value));
    EXPECT_EQ(L"</value>inside", value);
    EXPECT_FALSE(HasFieldValue(L"<name>&lt;x</name><value>v</value>", L"<x"));
}

TEST(TextList, ListFormSingleFormAndTruncation)
{
    StringList list;
    ASSERT_TRUE(GetTextListField(L"<textlistfield><name>SendTo</name><value>a</value><value></value><value>b</value>"
                                 L"</textlistfield>",
                                 L"SendTo", &list));
    ASSERT_EQ(3, list.Count());
    EXPECT_STREQ(L"a", list.Item(0));
    EXPECT_STREQ(L"", list.Item(1));
    EXPECT_STREQ(L"b", list.Item(2));
    EXPECT_EQ(nullptr, list.Item(3));
    EXPECT_EQ(nullptr, list.Item(-1));

    StringList single;
    ASSERT_TRUE(GetTextListField(L"<name>SendTo</name><value>a</value>", L"SendTo", &single));
    ASSERT_EQ(1, single.Count());
    EXPECT_STREQ(L"a", single.Item(0));

    StringList none;
    EXPECT_FALSE(
        GetTextListField(L"<textlistfield><name>SendTo</name><value>a</value><value>b</value>", L"SendTo", &none));
    EXPECT_FALSE(GetTextListField(L"<name>SendTo</name><value></value>", L"SendTo", &none));
    // Values after the list's end belong to the next field.
    EXPECT_TRUE(GetTextListField(L"<textlistfield><name>L</name><value>x</value></textlistfield>"
                                 L"<textfield><name>N</name><value>y</value></textfield>",
                                 L"L", &none));
    EXPECT_EQ(1, none.Count());
}

TEST(ElementText, OccurrencesCountFromOne)
{
    const wchar_t* reply = L"<attachments><attachment><originalfilename>a.doc</originalfilename></attachment>"
                           L"<attachment><originalfilename>b&amp;c.xls</originalfilename></attachment></attachments>";
    std::wstring value;
    EXPECT_FALSE(GetElementText(reply, L"originalfilename", &value, 0));
    ASSERT_TRUE(GetElementText(reply, L"originalfilename", &value, 2));
    EXPECT_EQ(L"b&c.xls", value);
    EXPECT_FALSE(GetElementText(reply, L"originalfilename", &value, 3));
    EXPECT_FALSE(GetElementText(L"<rtf a=\"1\">x</rtf>", L"rtf", &value, 1));
    EXPECT_FALSE(GetElementText(L"<rtf>unterminated", L"rtf", &value, 1));
}

TEST(DateField, FixedPositionsLocalTimeToUtc)
{
    FILETIME utc = {};
    ASSERT_TRUE(GetDateField(L"<name>D</name><value>06/05/1995 11:00:00</value>", L"D", &utc));
    SYSTEMTIME local = {1995, 5, 0, 6, 11, 0, 0, 0};
    SYSTEMTIME expected = {};
    ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &expected));
    FILETIME expectedTime = {};
    ASSERT_TRUE(SystemTimeToFileTime(&expected, &expectedTime));
    EXPECT_EQ(0, CompareFileTime(&expectedTime, &utc));

    EXPECT_FALSE(GetDateField(L"<name>D</name><value>1995-05-06</value>", L"D", &utc));
    EXPECT_FALSE(GetDateField(L"<name>D</name><value>06/05/1995 11:00:0</value>", L"D", &utc)) << "18 units";
    EXPECT_FALSE(GetDateField(L"<name>D</name><value>xx/05/1995 11:00:00</value>", L"D", &utc));
    EXPECT_FALSE(GetDateField(L"<name>D</name><value>31/02/1995 11:00:00</value>", L"D", &utc));
    EXPECT_FALSE(GetDateField(L"<name>D</name><value>06/05/1995 25:00:00</value>", L"D", &utc));
    EXPECT_TRUE(GetDateField(L"<name>D</name><value>06/05/1995 x1:00:00</value>", L"D", &utc)) << "no digits: 0";
    EXPECT_FALSE(GetDateField(L"<name>D</name><value>06/05/99999 11:00:00</value>", L"D", &utc));
    const std::wstring longValue = L"<name>D</name><value>06/05/1995 11:00:00" + std::wstring(32, L' ') + L"</value>";
    EXPECT_FALSE(GetDateField(longValue.c_str(), L"D", &utc)) << "51 units";
    EXPECT_TRUE(GetDateField(L"<name>D</name><value>06.05.1995 23-59-59 extra</value>", L"D", &utc));
}

TEST(DocumentIds, PaddedInOrderLongIdsSkippedWholeReplyWalked)
{
    PipeReply reply;
    std::wstring text = L"<documents><d>1A2B</d><d>FFFFFFFF</d><d></d><d>123456789</d><d>1F</d>";
    // Ids far past unit 16384 are still reached.
    for (int i = 0; i < 5000; ++i) {
        text += L"<d>ABCDEF</d>";
    }
    text += L"<d>7</d></documents>";
    reply.Assign(text.c_str(), text.size());
    wchar_t id[9];
    const wchar_t* expected[] = {L"00001A2B", L"FFFFFFFF", L"00000000", L"0000001F"};
    for (const wchar_t* e : expected) {
        ASSERT_TRUE(NextDocumentId(&reply, id));
        EXPECT_STREQ(e, id);
    }
    int middle = 0;
    while (NextDocumentId(&reply, id) && std::wstring(id) == L"00ABCDEF") {
        ++middle;
    }
    EXPECT_EQ(5000, middle);
    EXPECT_STREQ(L"00000007", id);
    EXPECT_FALSE(NextDocumentId(&reply, id));
    EXPECT_FALSE(NextDocumentId(&reply, id));

    PipeReply truncated;
    truncated.Assign(L"<d>12</d><d>34", 14);
    ASSERT_TRUE(NextDocumentId(&truncated, id));
    EXPECT_FALSE(NextDocumentId(&truncated, id));
}

// Every lookup on every prefix of a reply, each placed against a page that
// faults: nothing is read past the terminator.
TEST(HostileReplies, NoLookupReadsPastTheTerminator)
{
    const std::wstring full = L"<document><datefield><name>$ModifiedTime</name><value>06/05/1995 11:00:00</value>"
                              L"</datefield><textlistfield><name>SendTo</name><value>Ann</value><value>Bob</value>"
                              L"</textlistfield><rtf>C:\\t.txt</rtf><attachments><attachment><originalfilename>p.xls"
                              L"</originalfilename></attachment></attachments><notesize>31744</notesize></document>";
    for (size_t cut = 0; cut <= full.size(); ++cut) {
        PageEndText text(full.substr(0, cut));
        std::wstring value;
        StringList list;
        FILETIME time = {};
        GetFieldValue(text.get(), L"SendTo", &value);
        HasFieldValue(text.get(), L"$ModifiedTime");
        GetTextListField(text.get(), L"SendTo", &list);
        GetElementText(text.get(), L"originalfilename", &value, 1);
        GetElementText(text.get(), L"notesize", &value, 1);
        GetDateField(text.get(), L"$ModifiedTime", &time);
        EXPECT_LE(list.Count(), 2);
    }
}

TEST(HostileReplies, OutputIdHasNoRoomToOverflow)
{
    PipeReply reply;
    reply.Assign(L"<d>123456789ABCDEF</d><d>00000001</d>", 37);
    struct {
        wchar_t id[9];
        wchar_t canary[4];
    } out;
    std::wmemset(out.canary, L'#', 4);
    ASSERT_TRUE(NextDocumentId(&reply, out.id));
    EXPECT_STREQ(L"00000001", out.id);
    EXPECT_EQ(0, std::wmemcmp(out.canary, L"####", 4));
}

} // namespace
} // namespace brw
