#include "platform/notes/Generator.h"

#include "platform/notes/CdRecords.h"
#include "platform/notes/MimeMail.h"
#include "platform/notes/TimeDate.h"
#include "platform/notes/Values.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace generator {
namespace {

const char* const kFirst[] = {"Jane",   "John", "Maria", "Ahmed", "Li",   "Olga", "Pierre", "Sven", "Aiko",  "Carlos",
                              "Fatima", "Tom",  "Grace", "Ivan",  "Nora", "Raj",  "Elena",  "Kofi", "Hanna", "Diego"};
const char* const kLast[] = {"Doe",    "Smith", "Garcia", "Khan",   "Wei",   "Petrova", "Martin",
                             "Larsen", "Sato",  "Silva",  "Haddad", "Brown", "Kim",     "Novak",
                             "Berg",   "Patel", "Rossi",  "Mensah", "Weber", "Lopez"};
const char* const kUnits[] = {"Sales", "Finance", "Engineering", "Legal", "Support", "Marketing"};
const char* const kOrgs[] = {"Acme", "Globex", "Initech"};
const char* const kWords[] = {"quarterly", "report",   "budget",   "meeting", "review",   "project",  "deadline",
                              "customer",  "proposal", "contract", "invoice", "schedule", "update",   "design",
                              "release",   "team",     "forecast", "plan",    "agenda",   "summary",  "notes",
                              "draft",     "approval", "shipment", "order",   "travel",   "training", "workshop",
                              "launch",    "feedback", "status",   "risk"};
const char* const kExtensions[] = {"pdf", "docx", "xlsx", "txt", "png", "zip", "pptx", "csv"};
const char* const kRooms[] = {"Room 101", "Board room", "Online", "Cafeteria", "Building C"};
// Names and subjects from outside Latin-1 as well, as Internet mail brings.
const char* const kForeignNames[] = {
    "J\xC3\xB6rg M\xC3\xBCller", "Zo\xC3\xAB Dupr\xC3\xA9",
    "\xD0\x9E\xD0\xBB\xD1\x8C\xD0\xB3\xD0\xB0 \xD0\x9F\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE\xD0\xB2\xD0\xB0",
    "\xE4\xBD\x90\xE8\x97\xA4 \xE6\x84\x9B"};
const char* const kForeignSubjects[] = {
    "Gr\xC3\xBC\xC3\x9F"
    "e:",
    "\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82:", "\xE5\xA0\xB1\xE5\x91\x8A:", "R\xC3\xA9sum\xC3\xA9:"};
// Of the received memos, this share (percent) arrives as Internet mail.
constexpr unsigned kMimeShare = 40;

class Random {
public:
    explicit Random(unsigned seed) : state_(seed * 2654435761u + 1) {}
    unsigned Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    unsigned Below(unsigned n) { return n == 0 ? 0 : Next() % n; }
    template <typename T, size_t N>
    const T& Pick(const T (&items)[N])
    {
        return items[Below(N)];
    }

private:
    unsigned state_;
};

struct Person {
    std::string first;
    std::string last;
    std::string unit;
    std::string org;
    std::string Canonical() const { return "CN=" + first + " " + last + "/OU=" + unit + "/O=" + org; }
    std::string Internet() const { return first + "." + last + "@" + org + ".com"; }
};

Person MakePerson(Random& r)
{
    return Person{r.Pick(kFirst), r.Pick(kLast), r.Pick(kUnits), r.Pick(kOrgs)};
}

std::string Sentence(Random& r, unsigned words)
{
    std::string s;
    for (unsigned i = 0; i < words; ++i) {
        if (i > 0) {
            s += ' ';
        }
        s += r.Pick(kWords);
    }
    if (!s.empty()) {
        s[0] = static_cast<char>(toupper(static_cast<unsigned char>(s[0])));
    }
    return s;
}

void Add(nsf::NoteData& note, const char* name, std::vector<BYTE> value, WORD flags = ITEM_SUMMARY)
{
    note.items.push_back(nsf::ItemData{name, flags, std::move(value), {}});
}

TIMEDATE Shift(const TIMEDATE& t, long long hundredths)
{
    long long total = static_cast<long long>(timedate::Ticks(t)) + hundredths;
    TIMEDATE r;
    r.Innards[0] = static_cast<DWORD>(total % timedate::kTicksPerDay);
    r.Innards[1] = (t.Innards[1] & 0xFF000000) | static_cast<DWORD>(total / timedate::kTicksPerDay);
    return r;
}

std::vector<BYTE> Attachment(Random& r, nsf::NoteData& note, unsigned index, std::vector<BYTE>& body)
{
    char name[64];
    std::snprintf(name, sizeof(name), "%s_%u.%s", r.Pick(kWords), index + 1, r.Pick(kExtensions));
    const unsigned size = 200 + r.Below(6000);
    std::vector<BYTE> bytes(size);
    for (unsigned i = 0; i < size; ++i) {
        bytes[i] = static_cast<BYTE>('A' + (r.Next() % 26));
    }
    const TIMEDATE when = note.modified;
    note.items.push_back(
        nsf::ItemData{"$FILE", ITEM_SUMMARY | ITEM_SIGN, values::FileObject(name, size, when, when), bytes});
    cd::AppendParagraph(body);
    cd::AppendAttachmentHotspot(body, name, name);
    return bytes;
}

std::vector<BYTE> Body(Random& r, nsf::NoteData& note, unsigned attachments)
{
    std::vector<BYTE> records;
    cd::AppendPabDefinition(records, 1);
    const unsigned paragraphs = 1 + r.Below(5);
    for (unsigned p = 0; p < paragraphs; ++p) {
        cd::AppendParagraph(records);
        cd::AppendPabReference(records, 1);
        if (r.Below(4) == 0) {
            cd::AppendText(records, Sentence(r, 2) + " ", ISBOLD);
        }
        cd::AppendText(records, Sentence(r, 8 + r.Below(30)) + ".");
    }
    for (unsigned a = 0; a < attachments; ++a) {
        Attachment(r, note, a, records);
    }
    return records;
}

MailAddress AddressOf(const std::string& canonical)
{
    // "CN=First Last/OU=Unit/O=Org" -> First Last <First.Last@Org.com>
    const size_t nameEnd = canonical.find('/');
    const std::string name = canonical.substr(3, nameEnd - 3);
    const size_t org = canonical.rfind("O=");
    std::string local = name;
    for (char& c : local) {
        c = c == ' ' ? '.' : c;
    }
    return MailAddress{name, local + "@" + canonical.substr(org + 2) + ".com"};
}

std::vector<MailFile> FilesOf(const nsf::NoteData& note)
{
    std::vector<MailFile> files;
    for (const nsf::ItemData& item : note.items) {
        if (item.name == "$FILE" && item.value.size() >= 2 + sizeof(FILEOBJECT)) {
            FILEOBJECT object;
            std::memcpy(&object, item.value.data() + 2, sizeof(object));
            const char* name = reinterpret_cast<const char*>(item.value.data() + 2 + sizeof(FILEOBJECT));
            files.push_back(MailFile{std::string(name, object.FileNameLength),
                                     std::string(item.object.begin(), item.object.end())});
        }
    }
    return files;
}

// The received memo again as Internet mail: header items for the classic
// fields, its text and files as MIME parts.
void ToMimeMail(Random& side, nsf::NoteData& note, const std::string& subject, const Person& sender,
                const std::string& owner, const TIMEDATE& when)
{
    MimeMemo memo;
    const bool foreign = side.Below(3) == 0;
    memo.subject = foreign ? std::string(side.Pick(kForeignSubjects)) + " " + subject : subject;
    memo.from = MailAddress{foreign ? side.Pick(kForeignNames) : sender.first + " " + sender.last, sender.Internet()};
    memo.to = {AddressOf(owner)};
    memo.posted = when;
    memo.delivered = Shift(when, 300);
    const unsigned paragraphs = 1 + side.Below(4);
    for (unsigned p = 0; p < paragraphs; ++p) {
        memo.paragraphs.push_back(Sentence(side, 8 + side.Below(30)) + (foreign ? " " + memo.from.name : "") + ".");
    }
    memo.files = FilesOf(note);
    static const MimeStyle kStyles[] = {MimeStyle::Plain, MimeStyle::QuotedPrintable, MimeStyle::Alternative,
                                        MimeStyle::HtmlOnly};
    const MimeStyle style = memo.files.empty() ? kStyles[side.Below(4)] : MimeStyle::Mixed;
    static const char* const kReplaced[] = {"Subject",    "From",          "SendTo", "CopyTo",
                                            "PostedDate", "DeliveredDate", "Body",   "$FILE"};
    std::vector<nsf::ItemData> kept;
    for (nsf::ItemData& item : note.items) {
        if (std::find_if(std::begin(kReplaced), std::end(kReplaced),
                         [&](const char* name) { return item.name == name; }) == std::end(kReplaced)) {
            kept.push_back(std::move(item));
        }
    }
    note.items = std::move(kept);
    for (nsf::ItemData& item : MimeMemoItems(memo, style, side.Next())) {
        note.items.push_back(std::move(item));
    }
}

void MailItems(Random& r, nsf::NoteData& note, const std::string& owner, const TIMEDATE& when, unsigned i)
{
    const unsigned roll = r.Below(100);
    const Person sender = MakePerson(r);
    const char* form =
        roll < 60 ? "Memo" : (roll < 75 ? "Reply" : (roll < 85 ? "Memo" : (roll < 90 ? "Memo" : nullptr)));
    std::vector<std::string> sendTo;
    const unsigned recipients = 1 + r.Below(4);
    for (unsigned k = 0; k < recipients; ++k) {
        sendTo.push_back(MakePerson(r).Canonical());
    }
    if (form != nullptr) {
        const bool sent = roll >= 75 && roll < 85;
        const bool draft = roll >= 85 && roll < 90;
        Add(note, "Form", values::Text(form));
        const std::string subject = (roll >= 60 && roll < 75 ? "Re: " : "") + Sentence(r, 3 + r.Below(5));
        Add(note, "Subject", values::Text(subject));
        Add(note, "From", values::Text(sent || draft ? owner : sender.Canonical()), ITEM_SUMMARY | ITEM_NAMES);
        Add(note, "INetFrom", values::Text(sender.Internet()));
        Add(note, "SendTo", values::TextList(sent || draft ? sendTo : std::vector<std::string>{owner}),
            ITEM_SUMMARY | ITEM_NAMES);
        if (r.Below(3) == 0) {
            Add(note, "CopyTo", values::TextList({MakePerson(r).Canonical()}), ITEM_SUMMARY | ITEM_NAMES);
        }
        if (!draft) {
            Add(note, "PostedDate", values::Time(when));
            if (!sent) {
                Add(note, "DeliveredDate", values::Time(Shift(when, 300)));
            }
        }
        char id[64];
        std::snprintf(id, sizeof(id), "<OF%08X.%04X@acme.com>", r.Next(), i & 0xFFFF);
        Add(note, "$MessageID", values::Text(id));
        Add(note, "Importance", values::Text(r.Below(10) == 0 ? "1" : "2"));
        const unsigned attachments = r.Below(10) == 0 ? 1 + r.Below(3) : 0;
        Add(note, "Body", values::RichText(Body(r, note, attachments)), 0);
        // Decided by a stream of its own, so every other note stays as the
        // seed has always made it.
        Random side(i * 7919u + 17u);
        if (roll < 60 && side.Below(100) < kMimeShare) {
            ToMimeMail(side, note, subject, sender, owner, when);
        }
        return;
    }
    const unsigned kind = r.Below(10);
    if (kind < 5) {
        const TIMEDATE start = Shift(when, 360000LL * (24 + r.Below(24 * 30)));
        const TIMEDATE end = Shift(start, 360000LL * (1 + r.Below(3)));
        Add(note, "Form", values::Text("Appointment"));
        Add(note, "Subject", values::Text(Sentence(r, 3)));
        Add(note, "Chair", values::Text(r.Below(2) ? owner : sender.Canonical()), ITEM_SUMMARY | ITEM_NAMES);
        Add(note, "AppointmentType", values::Text(r.Below(2) ? "3" : "0"));
        Add(note, "StartDateTime", values::Time(start));
        Add(note, "EndDateTime", values::Time(end));
        Add(note, "CalendarDateTime", values::TimeRange({start}, {}));
        Add(note, "Location", values::Text(r.Pick(kRooms)));
        Add(note, "RequiredAttendees", values::TextList(sendTo), ITEM_SUMMARY | ITEM_NAMES);
        Add(note, "Body", values::RichText(Body(r, note, 0)), 0);
    } else if (kind < 8) {
        Add(note, "Form", values::Text("Task"));
        Add(note, "Subject", values::Text(Sentence(r, 4)));
        Add(note, "DueDateTime", values::Time(Shift(when, 8640000LL * (1 + r.Below(20)))));
        Add(note, "StartDateTime", values::Time(when));
        Add(note, "Status", values::Text(r.Below(2) ? "In progress" : "Not started"));
        Add(note, "Body", values::RichText(Body(r, note, 0)), 0);
    } else {
        const Person contact = MakePerson(r);
        Add(note, "Form", values::Text("Person"));
        Add(note, "FirstName", values::Text(contact.first));
        Add(note, "LastName", values::Text(contact.last));
        Add(note, "FullName", values::TextList({contact.Canonical(), contact.first + " " + contact.last}),
            ITEM_SUMMARY | ITEM_NAMES);
        Add(note, "CompanyName", values::Text(contact.org));
        Add(note, "MailAddress", values::Text(contact.Internet()));
        char phone[32];
        std::snprintf(phone, sizeof(phone), "+1 555 %04u", r.Below(10000));
        Add(note, "OfficePhoneNumber", values::Text(phone));
        Add(note, "Birthday",
            values::Time(timedate::FromUtcParts(1960 + static_cast<int>(r.Below(40)), 1 + static_cast<int>(r.Below(12)),
                                                1 + static_cast<int>(r.Below(28)), 0, 0, 0, 0, 0, false)));
    }
}

void AppItems(Random& r, nsf::NoteData& note, const TIMEDATE&)
{
    const bool response = r.Below(3) == 0;
    Add(note, "Form", values::Text(response ? "Response" : "MainTopic"));
    Add(note, "Subject", values::Text(Sentence(r, 4)));
    Add(note, "From", values::Text(MakePerson(r).Canonical()), ITEM_SUMMARY | ITEM_NAMES);
    Add(note, "Categories", values::TextList({r.Pick(kWords), r.Pick(kWords)}));
    Add(note, "Priority", values::Number(1 + r.Below(3)));
    Add(note, "Body", values::RichText(Body(r, note, r.Below(8) == 0 ? 1 : 0)), 0);
}

nsf::NoteData& DesignNote(nsf::DbData& data, WORD noteClass, const std::string& title)
{
    nsf::NoteData& note = data.AddNote();
    note.noteClass = noteClass;
    note.modified = note.added = data.info.created;
    note.oid.File = data.info.replicaId;
    note.oid.SequenceTime = note.modified;
    Add(note, "$TITLE", values::Text(title));
    return note;
}

} // namespace

void AddDesign(nsf::DbData& data, Kind kind, const std::string& owner)
{
    if (kind == Kind::Application) {
        Add(DesignNote(data, NOTE_CLASS_FORM, "MainTopic"), "$Fields",
            values::TextList({"Subject", "From", "Categories", "Body"}));
        Add(DesignNote(data, NOTE_CLASS_FORM, "Response"), "$Fields", values::TextList({"Subject", "From", "Body"}));
        DesignNote(data, NOTE_CLASS_VIEW, "All Documents|AllDocs");
        return;
    }
    Add(DesignNote(data, NOTE_CLASS_FORM, "Memo"), "$Fields",
        values::TextList({"From", "SendTo", "CopyTo", "PostedDate", "Subject", "Body"}));
    Add(DesignNote(data, NOTE_CLASS_FORM, "Reply"), "$Fields",
        values::TextList({"From", "SendTo", "PostedDate", "Subject", "Body"}));
    Add(DesignNote(data, NOTE_CLASS_FORM, "Appointment"), "$Fields",
        values::TextList({"Subject", "Chair", "StartDateTime", "EndDateTime", "Location", "Body"}));
    DesignNote(data, NOTE_CLASS_VIEW, "($All)|$All");
    if (kind == Kind::Mail) {
        nsf::NoteData& inbox = DesignNote(data, NOTE_CLASS_VIEW, "($Inbox)|$Inbox");
        Add(inbox, "$Flags", values::Text("FG"));
    }
    nsf::NoteData& profile = data.AddNote();
    profile.flags = nsf::kNoteProfile;
    profile.modified = profile.added = data.info.created;
    profile.oid.File = data.info.replicaId;
    profile.oid.SequenceTime = profile.modified;
    Add(profile, "$Name", values::Text("$profile_015calendarprofile_"));
    Add(profile, "Owner", values::Text(owner), ITEM_SUMMARY | ITEM_NAMES);
}

nsf::DbData Generate(const Options& options)
{
    Random r(options.seed);
    nsf::DbData data;
    const TIMEDATE base = timedate::FromUtcParts(2024, 1, 8, 9, 0, 0, 0, 60, false);
    data.info.replicaId = TIMEDATE{{r.Next(), 0xC1250000u | (r.Next() & 0xFFFF)}};
    data.info.created = base;
    data.info.title = options.title.empty() ? (options.kind == Kind::Mail      ? "Jane Doe"
                                               : options.kind == Kind::Archive ? "Archive"
                                                                               : "Discussion")
                                            : options.title;
    AddDesign(data, options.kind, options.owner);
    data.notes.reserve(data.notes.size() + options.count);
    for (unsigned i = 0; i < options.count; ++i) {
        nsf::NoteData& note = data.AddNote();
        const TIMEDATE when = Shift(base, 6000LL * 17 * i + r.Below(6000));
        note.modified = note.added = when;
        note.oid.File = data.info.replicaId;
        note.oid.Note = TIMEDATE{{r.Next(), r.Next()}};
        note.oid.Sequence = 1;
        note.oid.SequenceTime = when;
        if (options.kind == Kind::Application) {
            AppItems(r, note, when);
        } else {
            MailItems(r, note, options.owner, when, i);
        }
    }
    data.info.dataModified = data.info.nonDataModified = timedate::Now();
    return data;
}

} // namespace generator
