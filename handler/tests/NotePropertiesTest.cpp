// The 23 note properties for the kinds of document a mail file holds.
#include "handler/filters/NoteProperties.h"

#include "common/ComHolders.h"
#include "handler/filters/NoteAttachmentIFilter.h"
#include "handler/module/ModuleScripts.h"
#include "handler/pipe/ReplyFields.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace brw {
namespace {

std::wstring Text(const wchar_t* name, const wchar_t* value)
{
    return std::wstring(L"<textfield><name>") + name + L"</name><value>" + value + L"</value></textfield>";
}
std::wstring Date(const wchar_t* name, const wchar_t* value)
{
    return std::wstring(L"<datefield><name>") + name + L"</name><value>" + value + L"</value></datefield>";
}
std::wstring List(const wchar_t* name, std::initializer_list<const wchar_t*> values)
{
    std::wstring text = std::wstring(L"<textlistfield><name>") + name + L"</name>";
    for (const wchar_t* v : values) {
        text += std::wstring(L"<value>") + v + L"</value>";
    }
    return text + L"</textlistfield>";
}

FILETIME DateOf(const wchar_t* value)
{
    FILETIME time = {};
    const std::wstring field = std::wstring(L"<name>x</name><value>") + value + L"</value>";
    EXPECT_TRUE(GetDateField(field.c_str(), L"x", &time));
    return time;
}

class Properties {
public:
    explicit Properties(const std::wstring& body)
    {
        reply_ = L"<document>" + body + L"</document>";
        values_.resize(kNotePropertyCount);
        for (ULONG i = 0; i < kNotePropertyCount; ++i) {
            EXPECT_EQ(S_OK, ComputeNoteProperty(i, reply_.c_str(), L"00001A2B", values_[i].put()));
        }
    }
    const PROPVARIANT& operator[](ULONG i) const { return values_[i].get(); }
    std::wstring String(ULONG i) const
    {
        EXPECT_EQ(VT_BSTR, values_[i].get().vt) << "entry " << i;
        return values_[i].get().vt == VT_BSTR ? values_[i].get().bstrVal : L"";
    }
    bool Empty(ULONG i) const { return values_[i].get().vt == VT_EMPTY; }
    bool SameDate(ULONG i, const wchar_t* text) const
    {
        const FILETIME expected = DateOf(text);
        return values_[i].get().vt == VT_FILETIME && CompareFileTime(&values_[i].get().filetime, &expected) == 0;
    }

private:
    std::wstring reply_;
    std::vector<PropVariant> values_;
};

enum : ULONG {
    kName = 0,
    kType,
    kAuthor,
    kKind,
    kSize,
    kFolder,
    kModified,
    kFrom,
    kHasAttachments,
    kIsAttachment,
    kFileName,
    kPath,
    kParsingName,
    kLocation,
    kStart,
    kEnd,
    kReceived,
    kToName,
    kToAddress,
    kCcName,
    kCcAddress,
    kSubject,
    kSent
};

TEST(NotePropertyTable, IndexPastTheTableIsRefused)
{
    PropVariant out;
    EXPECT_EQ(E_INVALIDARG, ComputeNoteProperty(kNotePropertyCount, L"", L"", out.put()));
    EXPECT_EQ(VT_EMPTY, out.get().vt);
}

TEST(NoteProperties, ReceivedMemo)
{
    const Properties p(Date(L"$ModifiedTime", L"01/05/1995 08:00:00") + Text(L"Form", L"memo") +
                       Text(L"Subject", L"Budget &amp; plan") + Text(L"From", L"CN=Jane Doe/OU=Sales/O=Acme") +
                       Date(L"DeliveredDate", L"06/05/1995 11:00:00") + Date(L"PostedDate", L"06/05/1995 10:59:00") +
                       Text(L"$MessageType", L"x") + List(L"SendTo", {L"CN=Ann Lee/OU=X/O=Y", L"ann.lee"}) +
                       List(L"InetSendTo", {L"ann@acme.example"}) + List(L"CopyTo", {L"Bob"}) +
                       L"<rtf>C:\\t.txt</rtf><attachments><attachment><originalfilename>a.doc</originalfilename>"
                       L"</attachment></attachments><notesize>31744</notesize>");
    EXPECT_EQ(L"Budget & plan", p.String(kName));
    EXPECT_EQ(L"Budget & plan", p.String(kSubject));
    EXPECT_EQ(L"BRW/Message", p.String(kType));
    EXPECT_EQ(L"Jane Doe /Sales/Acme", p.String(kAuthor));
    EXPECT_EQ(L"Jane Doe /Sales/Acme", p.String(kFrom));
    EXPECT_EQ(L"email", p.String(kKind));
    EXPECT_EQ(VT_UI4, p[kSize].vt);
    EXPECT_EQ(31744u, p[kSize].ulVal);
    EXPECT_EQ(L"All Documents (/Mail)", p.String(kFolder));
    EXPECT_TRUE(p.SameDate(kModified, L"06/05/1995 11:00:00")) << "DeliveredDate comes first";
    EXPECT_EQ(VT_BOOL, p[kHasAttachments].vt);
    EXPECT_EQ(VARIANT_TRUE, p[kHasAttachments].boolVal);
    EXPECT_EQ(VARIANT_FALSE, p[kIsAttachment].boolVal);
    EXPECT_TRUE(p.Empty(kFileName));
    EXPECT_EQ(L"/Mail/All Documents/'Budget & plan'", p.String(kPath));
    EXPECT_EQ(L"00001A2B", p.String(kParsingName));
    EXPECT_TRUE(p.Empty(kLocation));
    EXPECT_TRUE(p.Empty(kStart));
    EXPECT_TRUE(p.Empty(kEnd));
    EXPECT_TRUE(p.SameDate(kReceived, L"06/05/1995 11:00:00"));
    EXPECT_EQ(L"Ann Lee/X/Y,ann.lee,", p.String(kToName));
    EXPECT_EQ(L"ann@acme.example,", p.String(kToAddress));
    EXPECT_EQ(L"Bob,", p.String(kCcName));
    EXPECT_TRUE(p.Empty(kCcAddress));
    EXPECT_TRUE(p.SameDate(kSent, L"06/05/1995 10:59:00"));
}

TEST(NoteProperties, SentMemo)
{
    const Properties p(Text(L"Form", L"Memo") + Text(L"From", L"jane@acme.example") +
                       Date(L"PostedDate", L"07/05/1995 09:00:00") + List(L"SendTo", {L"Ann"}));
    EXPECT_EQ(L"Sent (/Mail)", p.String(kFolder));
    EXPECT_TRUE(p.SameDate(kModified, L"07/05/1995 09:00:00"));
    EXPECT_TRUE(p.SameDate(kSent, L"07/05/1995 09:00:00"));
    EXPECT_TRUE(p.Empty(kReceived));
    EXPECT_EQ(L"jane@acme.example", p.String(kAuthor));
    EXPECT_EQ(L"Memo", p.String(kName)) << "no subject: the form name";
    EXPECT_EQ(0u, p[kSize].ulVal);
    EXPECT_EQ(VARIANT_FALSE, p[kHasAttachments].boolVal);
}

TEST(NoteProperties, DraftAndOther)
{
    const Properties draft(Text(L"Form", L"Memo") + Text(L"Subject", L"Hi") + List(L"SendTo", {L"Ann"}));
    EXPECT_EQ(L"Drafts (/Mail)", draft.String(kFolder));
    EXPECT_TRUE(draft.Empty(kModified));
    EXPECT_EQ(L"", draft.String(kAuthor));
    const Properties other(Text(L"Subject", L"x") + Text(L"SendTo", L""));
    EXPECT_EQ(L"Other", other.String(kFolder));
    const Properties bare(L"");
    EXPECT_EQ(L"no subject", bare.String(kName));
    EXPECT_EQ(L"email", bare.String(kKind));
    EXPECT_EQ(L"BRW/ApplicationData", bare.String(kType));
    EXPECT_EQ(L"/Mail/All Documents/'no subject'", bare.String(kPath));
}

TEST(NoteProperties, AppointmentAndTask)
{
    const Properties appointment(Text(L"Form", L"Appointment") + Text(L"Location", L"Room 4") +
                                 Date(L"EndDateTime", L"08/05/1995 15:00:00"));
    EXPECT_EQ(L"BRW/Appointment", appointment.String(kType));
    EXPECT_EQ(L"calendar", appointment.String(kKind));
    EXPECT_EQ(L"Room 4", appointment.String(kLocation));
    EXPECT_TRUE(appointment.SameDate(kStart, L"08/05/1995 15:00:00"));
    EXPECT_TRUE(appointment.SameDate(kEnd, L"08/05/1995 15:00:00"));
    const Properties task(Text(L"FORM", L"Task") + Date(L"StartDateTime", L"1/5/1995 15:00:00"));
    EXPECT_EQ(L"BRW/ToDo", task.String(kType));
    EXPECT_EQ(L"task", task.String(kKind));
    EXPECT_TRUE(task.Empty(kStart)) << "a date text of 17 units gives no date";
}

TEST(NoteProperties, PersonTitles)
{
    const Properties firstOnly(Text(L"Form", L"Person") + Text(L"FirstName", L"Jane"));
    EXPECT_EQ(L"Jane ", firstOnly.String(kName));
    EXPECT_EQ(L"BRW/Contact", firstOnly.String(kType));
    EXPECT_EQ(L"contact", firstOnly.String(kKind));
    const Properties nameless(Text(L"Form", L"Person"));
    EXPECT_EQ(L"Person", nameless.String(kName));
    const Properties full(Text(L"Form", L"DPABPerson") + Text(L"FullName", L"Jane Doe") + Text(L"Name", L""));
    EXPECT_EQ(L"Jane Doe", full.String(kSubject));
    const Properties location(Text(L"Form", L"Location") + Text(L"LastName", L"Doe"));
    EXPECT_EQ(L" Doe", location.String(kName));
}

TEST(NotesNames, OnlyCanonicalNamesAreCleaned)
{
    EXPECT_EQ(L"cn=lower/O=x", CleanNotesName(L"cn=lower/O=x", L"/"));
    EXPECT_EQ(L"", CleanNotesName(L"CN=", L"/"));
}

// A type the module does not register shows no kind in Windows.
TEST(ItemTypes, EveryTypeTheFiltersIssueIsRegistered)
{
    const std::vector<std::wstring> registered = RegisteredItemTypes();
    std::vector<std::wstring> issued = DocumentItemTypes();
    issued.push_back(kAttachmentItemType);
    EXPECT_GE(issued.size(), 6u);
    for (const std::wstring& type : issued) {
        EXPECT_NE(std::find(registered.begin(), registered.end(), type), registered.end()) << type;
    }
}

} // namespace
} // namespace brw
