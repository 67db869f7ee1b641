// notesdb: creates data directories and databases for tests, benchmarks and
// the demo. Run without arguments for the commands.
#include "platform/notes/CdRecords.h"
#include "platform/notes/DxlExport.h"
#include "platform/notes/DxlImport.h"
#include "platform/notes/Generator.h"
#include "platform/notes/Lmbcs.h"
#include "platform/notes/NsfFile.h"
#include "platform/notes/PasswordPrompt.h"
#include "platform/notes/TimeDate.h"
#include "platform/notes/Values.h"

#include <objbase.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kUsage[] =
    L"usage:\n"
    L"  notesdb create <datadir> [--ini <notes.ini>] [--user <name>] [--password <pw>]\n"
    L"                 [--mailserver <server>] [--mailfile <path>]\n"
    L"  notesdb newdb <nsf> [--title <title>] [--replica <16 hex>]\n"
    L"  notesdb import <dxl> <nsf>\n"
    L"  notesdb export <nsf> <dxl>\n"
    L"  notesdb generate mail|archive|app <nsf> [--count <n>] [--seed <n>] [--title <t>] [--owner <name>]\n"
    L"  notesdb add <nsf> <item options>          (prints the new note id)\n"
    L"  notesdb modify <nsf> <noteid> <item options>\n"
    L"  notesdb delete <nsf> <noteid>\n"
    L"  notesdb list <nsf>\n"
    L"item options: --form F  --text N=V  --textlist N=a|b  --number N=V  --time N=YYYYMMDDThhmmss\n"
    L"              --richtext N=text  --attach <file>  --encrypted  --class <hex>  --design <name>\n"
    L"              --profile <name> (a profile document, with $Name)\n";

int Fail(const wchar_t* message, const std::wstring& detail = std::wstring())
{
    std::fwprintf(stderr, L"notesdb: %ls%ls\n", message, detail.c_str());
    return 1;
}

std::string L(const std::wstring& text)
{
    return lmbcs::FromWide(text);
}

bool Load(const std::wstring& path, nsf::DbData& data)
{
    nsf::ByteBuffer bytes;
    if (!nsf::ReadWholeFile(path, bytes)) {
        return false;
    }
    STATUS status = 0;
    auto image = nsf::DbImage::Parse(std::move(bytes), &status);
    if (!image) {
        return false;
    }
    data = nsf::ToData(*image);
    return true;
}

bool Save(const std::wstring& path, nsf::DbData& data)
{
    data.info.dataModified = data.info.nonDataModified = timedate::Now();
    return nsf::WriteFileAtomically(path, nsf::Serialize(data));
}

nsf::DbData NewDatabase(const std::wstring& title)
{
    nsf::DbData data;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    data.info.created = timedate::FromFileTime(now);
    data.info.replicaId =
        TIMEDATE{{now.dwLowDateTime ^ GetCurrentProcessId(), 0xC1250000u | (now.dwHighDateTime & 0xFFFF)}};
    data.info.title = L(title);
    return data;
}

bool WriteText(const std::wstring& path, const std::string& text)
{
    return nsf::WriteFileAtomically(path, std::vector<BYTE>(text.begin(), text.end()));
}

// Options after the fixed arguments, as name/value pairs.
struct Options {
    std::vector<std::pair<std::wstring, std::wstring>> list;
    std::wstring Get(const wchar_t* name, const std::wstring& fallback = std::wstring()) const
    {
        for (const auto& o : list) {
            if (o.first == name) {
                return o.second;
            }
        }
        return fallback;
    }
};

bool ParseOptions(int argc, wchar_t** argv, int first, Options& options)
{
    for (int i = first; i < argc; ++i) {
        std::wstring name = argv[i];
        if (name.rfind(L"--", 0) != 0) {
            return false;
        }
        if (name == L"--encrypted") {
            options.list.emplace_back(name, L"");
            continue;
        }
        if (i + 1 >= argc) {
            return false;
        }
        options.list.emplace_back(name, argv[++i]);
    }
    return true;
}

bool SplitNameValue(const std::wstring& text, std::string* name, std::wstring* value)
{
    const size_t eq = text.find(L'=');
    if (eq == std::wstring::npos || eq == 0) {
        return false;
    }
    *name = L(text.substr(0, eq));
    *value = text.substr(eq + 1);
    return true;
}

void SetItem(nsf::NoteData& note, const std::string& name, WORD flags, std::vector<BYTE> value,
             std::vector<BYTE> object = {})
{
    if (name != "$FILE") {
        for (size_t i = note.items.size(); i-- > 0;) {
            if (_stricmp(note.items[i].name.c_str(), name.c_str()) == 0) {
                note.items.erase(note.items.begin() + static_cast<long>(i));
            }
        }
    }
    note.items.push_back(nsf::ItemData{name, flags, std::move(value), std::move(object)});
}

bool Attach(nsf::NoteData& note, const std::wstring& file)
{
    std::vector<BYTE> bytes;
    if (!nsf::ReadWholeFile(file, bytes)) {
        return false;
    }
    const size_t slash = file.find_last_of(L"\\/");
    const std::string name = L(slash == std::wstring::npos ? file : file.substr(slash + 1));
    const TIMEDATE now = timedate::Now();
    SetItem(note, "$FILE", ITEM_SUMMARY | ITEM_SIGN,
            values::FileObject(name, static_cast<DWORD>(bytes.size()), now, now), bytes);
    // The body shows the attachment too, as the client's editor does.
    nsf::ItemData* body = note.FindItem("Body");
    std::vector<BYTE> records;
    if (body == nullptr || body->value.size() < 2) {
        cd::AppendPabDefinition(records, 1);
    }
    cd::AppendParagraph(records);
    cd::AppendAttachmentHotspot(records, name, name);
    if (body == nullptr) {
        SetItem(note, "Body", 0, values::RichText(records));
    } else {
        if (body->value.size() % 2 != 0) {
            body->value.push_back(0);
        }
        body->value.insert(body->value.end(), records.begin(), records.end());
    }
    return true;
}

bool ApplyItems(nsf::NoteData& note, const Options& options, std::wstring* error)
{
    for (const auto& option : options.list) {
        std::string name;
        std::wstring value;
        const std::wstring& o = option.first;
        if (o == L"--form") {
            SetItem(note, "Form", ITEM_SUMMARY, values::Text(L(option.second)));
        } else if (o == L"--encrypted") {
            note.flags |= nsf::kNoteEncrypted;
        } else if (o == L"--class") {
            note.noteClass = static_cast<WORD>(wcstoul(option.second.c_str(), nullptr, 16));
        } else if (o == L"--design") {
            SetItem(note, "$TITLE", ITEM_SUMMARY, values::Text(L(option.second)));
        } else if (o == L"--profile") {
            std::string lower = L(option.second);
            for (char& c : lower) {
                c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
            }
            char count[8];
            std::snprintf(count, sizeof(count), "%03u", static_cast<unsigned>(lower.size() % 1000));
            note.flags |= nsf::kNoteProfile;
            SetItem(note, "$Name", ITEM_SUMMARY, values::Text("$profile_" + std::string(count) + lower + "_"));
        } else if (o == L"--attach") {
            if (!Attach(note, option.second)) {
                *error = L"cannot read " + option.second;
                return false;
            }
        } else if (!SplitNameValue(option.second, &name, &value)) {
            *error = L"expected Name=Value after " + o;
            return false;
        } else if (o == L"--text") {
            SetItem(note, name, ITEM_SUMMARY, values::Text(L(value)));
        } else if (o == L"--textlist") {
            std::vector<std::string> entries;
            size_t start = 0;
            while (start <= value.size()) {
                size_t bar = value.find(L'|', start);
                if (bar == std::wstring::npos) {
                    bar = value.size();
                }
                entries.push_back(L(value.substr(start, bar - start)));
                start = bar + 1;
            }
            SetItem(note, name, ITEM_SUMMARY, values::TextList(entries));
        } else if (o == L"--number") {
            SetItem(note, name, ITEM_SUMMARY, values::Number(wcstod(value.c_str(), nullptr)));
        } else if (o == L"--time") {
            TIMEDATE t;
            if (!values::ParseDxlTime(L(value), false, &t)) {
                *error = L"not a time: " + value;
                return false;
            }
            SetItem(note, name, ITEM_SUMMARY, values::Time(t));
        } else if (o == L"--richtext") {
            std::vector<BYTE> records;
            cd::AppendPabDefinition(records, 1);
            cd::AppendParagraph(records);
            cd::AppendPabReference(records, 1);
            cd::AppendText(records, L(value));
            SetItem(note, name, 0, values::RichText(records));
        } else {
            *error = L"unknown option " + o;
            return false;
        }
    }
    return true;
}

void Touch(nsf::NoteData& note)
{
    note.modified = timedate::Now();
    note.oid.Sequence += 1;
    note.oid.SequenceTime = note.modified;
}

int Create(int argc, wchar_t** argv)
{
    Options options;
    if (argc < 3 || !ParseOptions(argc, argv, 3, options)) {
        return Fail(L"create needs a data directory");
    }
    const std::wstring dir = argv[2];
    if (!CreateDirectoryW(dir.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return Fail(L"cannot create ", dir);
    }
    const std::string user = L(options.Get(L"--user", L"CN=Jane Doe/OU=Sales/O=Acme"));
    const std::wstring password = options.Get(L"--password");
    std::string id = "Name=" + user + "\r\n";
    if (!password.empty()) {
        id += "PasswordHash=" + password::PasswordHash(user, L(password)) + "\r\n";
    }
    if (!WriteText(dir + L"\\user.id", id)) {
        return Fail(L"cannot write the ID file");
    }
    std::string ini = "[Notes]\r\nKitType=1\r\nDirectory=" + L(dir) + "\r\nKeyFilename=user.id\r\n";
    ini += "MailServer=" + L(options.Get(L"--mailserver")) + "\r\n";
    ini += "MailFile=" + L(options.Get(L"--mailfile")) + "\r\n";
    if (!WriteText(options.Get(L"--ini", dir + L"\\notes.ini"), ini)) {
        return Fail(L"cannot write notes.ini");
    }
    return 0;
}

int NewDb(int argc, wchar_t** argv)
{
    Options options;
    if (argc < 3 || !ParseOptions(argc, argv, 3, options)) {
        return Fail(L"newdb needs a database path");
    }
    nsf::DbData data = NewDatabase(options.Get(L"--title", L"Untitled"));
    const std::wstring replica = options.Get(L"--replica");
    if (replica.size() == 16) {
        data.info.replicaId.Innards[1] = wcstoul(replica.substr(0, 8).c_str(), nullptr, 16);
        data.info.replicaId.Innards[0] = wcstoul(replica.substr(8).c_str(), nullptr, 16);
    }
    return Save(argv[2], data) ? 0 : Fail(L"cannot write ", argv[2]);
}

int Import(int argc, wchar_t** argv)
{
    if (argc != 4) {
        return Fail(L"import needs a DXL file and a database path");
    }
    nsf::DbData data = NewDatabase(L"");
    std::wstring error;
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool ok = dxl::Import(argv[2], data, &error);
    if (SUCCEEDED(init)) {
        CoUninitialize();
    }
    if (!ok) {
        return Fail(L"import failed: ", error);
    }
    return Save(argv[3], data) ? 0 : Fail(L"cannot write ", argv[3]);
}

int Export(int argc, wchar_t** argv)
{
    nsf::DbData data;
    if (argc != 4 || !Load(argv[2], data)) {
        return Fail(L"export needs a readable database and a DXL path");
    }
    std::wstring error;
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool ok = dxl::Export(data, argv[3], &error);
    if (SUCCEEDED(init)) {
        CoUninitialize();
    }
    return ok ? 0 : Fail(L"export failed: ", error);
}

int GenerateCommand(int argc, wchar_t** argv)
{
    Options options;
    if (argc < 4 || !ParseOptions(argc, argv, 4, options)) {
        return Fail(L"generate needs a kind and a database path");
    }
    generator::Options g;
    const std::wstring kind = argv[2];
    if (kind == L"mail") {
        g.kind = generator::Kind::Mail;
    } else if (kind == L"archive") {
        g.kind = generator::Kind::Archive;
    } else if (kind == L"app") {
        g.kind = generator::Kind::Application;
    } else {
        return Fail(L"unknown kind ", kind);
    }
    g.count = wcstoul(options.Get(L"--count", L"100").c_str(), nullptr, 10);
    g.seed = wcstoul(options.Get(L"--seed", L"1").c_str(), nullptr, 10);
    g.title = L(options.Get(L"--title"));
    g.owner = L(options.Get(L"--owner", lmbcs::ToWide(g.owner)));
    nsf::DbData data = generator::Generate(g);
    return nsf::WriteFileAtomically(argv[3], nsf::Serialize(data)) ? 0 : Fail(L"cannot write ", argv[3]);
}

int AddOrModify(int argc, wchar_t** argv, bool modify)
{
    const int first = modify ? 4 : 3;
    Options options;
    if (argc < first || !ParseOptions(argc, argv, first, options)) {
        return Fail(L"bad arguments");
    }
    nsf::DbData data;
    if (!Load(argv[2], data)) {
        return Fail(L"cannot read ", argv[2]);
    }
    nsf::NoteData* note = nullptr;
    if (modify) {
        note = data.FindNote(wcstoul(argv[3], nullptr, 16));
        if (note == nullptr || (note->flags & nsf::kNoteDeleted)) {
            return Fail(L"no such note ", argv[3]);
        }
    } else {
        note = &data.AddNote();
        note->oid.File = data.info.replicaId;
        note->oid.Note = timedate::Now();
        note->oid.Note.Innards[0] ^= note->id;
        note->added = timedate::Now();
    }
    Touch(*note);
    std::wstring error;
    if (!ApplyItems(*note, options, &error)) {
        return Fail(error.c_str());
    }
    const NOTEID id = note->id;
    if (!Save(argv[2], data)) {
        return Fail(L"cannot write ", argv[2]);
    }
    std::wprintf(L"%X\n", id);
    return 0;
}

int Delete(int argc, wchar_t** argv)
{
    nsf::DbData data;
    if (argc != 4 || !Load(argv[2], data)) {
        return Fail(L"delete needs a readable database and a note id");
    }
    nsf::NoteData* note = data.FindNote(wcstoul(argv[3], nullptr, 16));
    if (note == nullptr) {
        return Fail(L"no such note ", argv[3]);
    }
    // A stub keeps the id, so modified-note tables can report the deletion.
    note->flags = static_cast<WORD>((note->flags & nsf::kNoteProfile) | nsf::kNoteDeleted);
    note->items.clear();
    Touch(*note);
    return Save(argv[2], data) ? 0 : Fail(L"cannot write ", argv[2]);
}

int List(int argc, wchar_t** argv)
{
    nsf::DbData data;
    if (argc != 3 || !Load(argv[2], data)) {
        return Fail(L"list needs a readable database");
    }
    std::wprintf(L"title %ls replica %08X%08X notes %u\n", lmbcs::ToWide(data.info.title).c_str(),
                 static_cast<unsigned>(data.info.replicaId.Innards[1]),
                 static_cast<unsigned>(data.info.replicaId.Innards[0]), static_cast<unsigned>(data.notes.size()));
    for (const nsf::NoteData& note : data.notes) {
        std::wprintf(L"%X class %X flags %X items %u\n", static_cast<unsigned>(note.id), note.noteClass, note.flags,
                     static_cast<unsigned>(note.items.size()));
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fwprintf(stderr, L"%ls", kUsage);
        return 2;
    }
    const std::wstring command = argv[1];
    if (command == L"create")
        return Create(argc, argv);
    if (command == L"newdb")
        return NewDb(argc, argv);
    if (command == L"import")
        return Import(argc, argv);
    if (command == L"export")
        return Export(argc, argv);
    if (command == L"generate")
        return GenerateCommand(argc, argv);
    if (command == L"add")
        return AddOrModify(argc, argv, false);
    if (command == L"modify")
        return AddOrModify(argc, argv, true);
    if (command == L"delete")
        return Delete(argc, argv);
    if (command == L"list")
        return List(argc, argv);
    std::fwprintf(stderr, L"%ls", kUsage);
    return 2;
}
