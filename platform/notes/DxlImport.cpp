#include "platform/notes/DxlImport.h"

#include "common/ComHolders.h"
#include "platform/notes/CdRecords.h"
#include "platform/notes/DxlFileFlags.h"
#include "platform/notes/Lmbcs.h"
#include "platform/notes/MimeStream.h"
#include "platform/notes/TimeDate.h"
#include "platform/notes/Values.h"

#include <msxml2.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <iterator>
#include <unordered_set>

namespace dxl {
namespace {

using NodePtr = brw::ComPtr<IXMLDOMNode>;

constexpr wchar_t kDomProgId[] = L"MSXML2.DOMDocument.3.0";

std::wstring Name(IXMLDOMNode* node)
{
    brw::Bstr name;
    if (FAILED(node->get_baseName(name.put())) || !name) {
        return std::wstring();
    }
    return name.get();
}

bool IsElement(IXMLDOMNode* node)
{
    DOMNodeType type = NODE_INVALID;
    return SUCCEEDED(node->get_nodeType(&type)) && type == NODE_ELEMENT;
}

std::wstring Attribute(IXMLDOMNode* node, const wchar_t* name)
{
    brw::ComPtr<IXMLDOMElement> element;
    VARIANT value;
    VariantInit(&value);
    std::wstring text;
    brw::Bstr attributeName(SysAllocString(name));
    if (SUCCEEDED(node->QueryInterface(IID_IXMLDOMElement, element.put_void())) &&
        element->getAttribute(attributeName.get(), &value) == S_OK && value.vt == VT_BSTR && value.bstrVal) {
        text = value.bstrVal;
    }
    VariantClear(&value);
    return text;
}

// All attributes of an element, read in one pass: items carry up to a dozen
// flag attributes and asking for each one by name costs a COM call apiece.
class Attributes {
public:
    explicit Attributes(IXMLDOMNode* node)
    {
        brw::ComPtr<IXMLDOMNamedNodeMap> map;
        long count = 0;
        if (node->get_attributes(map.put()) != S_OK || !map || FAILED(map->get_length(&count))) {
            return;
        }
        for (long i = 0; i < count; ++i) {
            NodePtr attribute;
            brw::Bstr name;
            brw::Bstr text;
            if (map->get_item(i, attribute.put()) == S_OK && SUCCEEDED(attribute->get_nodeName(name.put())) &&
                SUCCEEDED(attribute->get_text(text.put())) && name) {
                values_.emplace_back(name.get(), text ? text.get() : L"");
            }
        }
    }
    std::wstring Get(const wchar_t* name) const
    {
        for (const auto& v : values_) {
            if (v.first == name) {
                return v.second;
            }
        }
        return std::wstring();
    }
    bool Flag(const wchar_t* name, bool fallback) const
    {
        const std::wstring v = Get(name);
        return v.empty() ? fallback : _wcsicmp(v.c_str(), L"true") == 0;
    }

private:
    std::vector<std::pair<std::wstring, std::wstring>> values_;
};

bool BoolAttribute(IXMLDOMNode* node, const wchar_t* name, bool fallback)
{
    const std::wstring v = Attribute(node, name);
    return v.empty() ? fallback : _wcsicmp(v.c_str(), L"true") == 0;
}

std::wstring Text(IXMLDOMNode* node)
{
    brw::Bstr text;
    if (FAILED(node->get_text(text.put())) || !text) {
        return std::wstring();
    }
    return text.get();
}

std::vector<NodePtr> Children(IXMLDOMNode* node)
{
    std::vector<NodePtr> children;
    NodePtr child;
    if (node->get_firstChild(child.put()) != S_OK) {
        return children;
    }
    while (child) {
        NodePtr next;
        const HRESULT hr = child->get_nextSibling(next.put());
        children.push_back(std::move(child));
        if (hr != S_OK) {
            break;
        }
        child = std::move(next);
    }
    return children;
}

NodePtr Child(IXMLDOMNode* node, const wchar_t* name)
{
    for (NodePtr& c : Children(node)) {
        if (IsElement(c.get()) && Name(c.get()) == name) {
            return std::move(c);
        }
    }
    return NodePtr();
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

bool DecodeBase64(const std::wstring& text, std::vector<BYTE>& bytes)
{
    DWORD size = 0;
    if (text.empty()) {
        bytes.clear();
        return true;
    }
    if (!CryptStringToBinaryW(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64, nullptr, &size,
                              nullptr, nullptr)) {
        return false;
    }
    bytes.resize(size);
    return CryptStringToBinaryW(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64, bytes.data(), &size,
                                nullptr, nullptr) != FALSE;
}

bool ParseTime(IXMLDOMNode* datetime, TIMEDATE* t)
{
    return values::ParseDxlTime(Narrow(Text(datetime)), BoolAttribute(datetime, L"dst", false), t);
}

// The text of a <text> element: <break/> is a stored NUL, <nonxmlchar/> the
// character XML cannot carry.
std::wstring TextContent(IXMLDOMNode* node)
{
    std::wstring text;
    for (NodePtr& c : Children(node)) {
        DOMNodeType type = NODE_INVALID;
        c->get_nodeType(&type);
        if (type == NODE_TEXT || type == NODE_CDATA_SECTION) {
            text += Text(c.get());
        } else if (type == NODE_ELEMENT) {
            const std::wstring name = Name(c.get());
            if (name == L"break") {
                text.push_back(L'\0');
            } else if (name == L"nonxmlchar") {
                text.push_back(static_cast<wchar_t>(wcstoul(Attribute(c.get(), L"value").c_str(), nullptr, 16)));
            } else {
                text += TextContent(c.get());
            }
        }
    }
    return text;
}

// Paragraph text: line ends and the indentation after them are the
// exporter's wrapping, not content.
std::wstring TrimWrapping(const std::wstring& text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' || text[i] == L'\r') {
            while (i + 1 < text.size() &&
                   (text[i + 1] == L' ' || text[i + 1] == L'\t' || text[i + 1] == L'\n' || text[i + 1] == L'\r')) {
                ++i;
            }
            continue;
        }
        out.push_back(text[i]);
    }
    return out;
}

class RichTextWriter {
public:
    std::vector<BYTE> records;

    RichTextWriter() { cd::AppendPabDefinition(records, 1); }

    void Blocks(IXMLDOMNode* node)
    {
        for (NodePtr& c : Children(node)) {
            if (!IsElement(c.get())) {
                continue;
            }
            const std::wstring name = Name(c.get());
            if (name == L"par") {
                Paragraph(c.get());
            } else if (name == L"table") {
                Table(c.get());
            } else if (name == L"section" || name == L"block") {
                Blocks(c.get());
            } else if (name == L"sectiontitle") {
                Paragraph(c.get());
            }
        }
    }

private:
    void Paragraph(IXMLDOMNode* par)
    {
        cd::AppendParagraph(records);
        cd::AppendPabReference(records, 1);
        Inline(par, 0);
    }

    void Inline(IXMLDOMNode* node, BYTE attributes)
    {
        for (NodePtr& c : Children(node)) {
            DOMNodeType type = NODE_INVALID;
            c->get_nodeType(&type);
            if (type == NODE_TEXT || type == NODE_CDATA_SECTION) {
                const std::wstring text = TrimWrapping(Text(c.get()));
                if (!text.empty()) {
                    cd::AppendText(records, lmbcs::FromWide(text), attributes);
                }
                continue;
            }
            if (type != NODE_ELEMENT) {
                continue;
            }
            const std::wstring name = Name(c.get());
            if (name == L"run") {
                Inline(c.get(), RunAttributes(c.get(), attributes));
            } else if (name == L"break") {
                cd::AppendText(records, std::string(1, '\0'), attributes);
            } else if (name == L"attachmentref") {
                const std::wstring stored = Attribute(c.get(), L"name");
                std::wstring shown = Attribute(c.get(), L"displayname");
                cd::AppendAttachmentHotspot(records, lmbcs::FromWide(stored),
                                            lmbcs::FromWide(shown.empty() ? stored : shown));
            } else if (name == L"font" || name == L"picture" || name == L"richtextdata" || name == L"compositedata") {
                continue;
            } else {
                Inline(c.get(), attributes); // links, spans, computed text: their text
            }
        }
    }

    static BYTE RunAttributes(IXMLDOMNode* run, BYTE inherited)
    {
        NodePtr font = Child(run, L"font");
        if (!font) {
            return inherited;
        }
        const std::wstring style = Attribute(font.get(), L"style");
        BYTE attributes = 0;
        if (style.find(L"bold") != std::wstring::npos) {
            attributes |= ISBOLD;
        }
        if (style.find(L"italic") != std::wstring::npos) {
            attributes |= ISITALIC;
        }
        if (style.find(L"underline") != std::wstring::npos) {
            attributes |= ISUNDERLINE;
        }
        return attributes;
    }

    void Table(IXMLDOMNode* table)
    {
        cd::AppendTableBegin(records);
        BYTE row = 0;
        for (NodePtr& r : Children(table)) {
            if (!IsElement(r.get()) || Name(r.get()) != L"tablerow") {
                continue;
            }
            BYTE column = 0;
            for (NodePtr& cell : Children(r.get())) {
                if (IsElement(cell.get()) && Name(cell.get()) == L"tablecell") {
                    cd::AppendTableCell(records, row, column++);
                    Blocks(cell.get());
                }
            }
            ++row;
        }
        cd::AppendTableEnd(records);
    }
};

WORD ItemFlags(const Attributes& item, bool summaryByDefault)
{
    WORD flags = 0;
    if (item.Flag(L"summary", summaryByDefault)) {
        flags |= ITEM_SUMMARY;
    }
    if (item.Flag(L"sign", false)) {
        flags |= ITEM_SIGN;
    }
    if (item.Flag(L"seal", false)) {
        flags |= ITEM_SEAL;
    }
    if (item.Flag(L"names", false)) {
        flags |= ITEM_NAMES;
    }
    if (item.Flag(L"authors", false)) {
        flags |= ITEM_NAMES | ITEM_READWRITERS;
    }
    if (item.Flag(L"readers", false)) {
        flags |= ITEM_NAMES | ITEM_READERS;
    }
    if (item.Flag(L"protected", false)) {
        flags |= ITEM_PROTECTED;
    }
    if (item.Flag(L"placeholder", false)) {
        flags |= ITEM_PLACEHOLDER;
    }
    return flags;
}

bool FileItem(IXMLDOMNode* object, nsf::ItemData& item)
{
    NodePtr file = Child(object, L"file");
    if (!file) {
        return false;
    }
    const std::string name = lmbcs::FromWide(Attribute(file.get(), L"name"));
    TIMEDATE created{};
    TIMEDATE modified{};
    if (NodePtr c = Child(file.get(), L"created")) {
        if (NodePtr d = Child(c.get(), L"datetime")) {
            ParseTime(d.get(), &created);
        }
    }
    if (NodePtr m = Child(file.get(), L"modified")) {
        if (NodePtr d = Child(m.get(), L"datetime")) {
            ParseTime(d.get(), &modified);
        }
    }
    if (NodePtr data = Child(file.get(), L"filedata")) {
        if (!DecodeBase64(Text(data.get()), item.object)) {
            return false;
        }
    }
    // Old exports leave out size: the decoded data says it.
    const WORD flags = FileFlagsFromDxl(Attribute(file.get(), L"flags"), Attribute(file.get(), L"encoding"));
    item.value =
        values::FileObject(name, static_cast<DWORD>(item.object.size()), created, modified, OBJECT_FILE, flags);
    return true;
}

// One <item>: false when its value is unreadable (the item is skipped).
bool ReadItem(IXMLDOMNode* node, nsf::ItemData& item)
{
    const Attributes attributes(node);
    item.name = lmbcs::FromWide(attributes.Get(L"name"));
    for (NodePtr& v : Children(node)) {
        if (!IsElement(v.get())) {
            continue;
        }
        const std::wstring kind = Name(v.get());
        item.flags = ItemFlags(attributes, kind == L"text" || kind == L"number" || kind == L"datetime");
        if (kind == L"text") {
            item.value = values::Text(lmbcs::FromWide(TextContent(v.get())));
        } else if (kind == L"textlist") {
            std::vector<std::string> entries;
            for (NodePtr& t : Children(v.get())) {
                if (IsElement(t.get()) && Name(t.get()) == L"text") {
                    entries.push_back(lmbcs::FromWide(TextContent(t.get())));
                }
            }
            item.value = values::TextList(entries);
        } else if (kind == L"number") {
            item.value = values::Number(wcstod(Text(v.get()).c_str(), nullptr));
        } else if (kind == L"numberlist") {
            std::vector<double> numbers;
            for (NodePtr& n : Children(v.get())) {
                if (IsElement(n.get()) && Name(n.get()) == L"number") {
                    numbers.push_back(wcstod(Text(n.get()).c_str(), nullptr));
                }
            }
            item.value = values::NumberList(numbers);
        } else if (kind == L"datetime") {
            TIMEDATE t{};
            if (!ParseTime(v.get(), &t)) {
                return false;
            }
            item.value = values::Time(t);
        } else if (kind == L"datetimelist") {
            std::vector<TIMEDATE> times;
            std::vector<TIMEDATE_PAIR> pairs;
            for (NodePtr& d : Children(v.get())) {
                if (!IsElement(d.get())) {
                    continue;
                }
                TIMEDATE t{};
                if (Name(d.get()) == L"datetime" && ParseTime(d.get(), &t)) {
                    times.push_back(t);
                } else if (Name(d.get()) == L"datetimepair") {
                    std::vector<TIMEDATE> two;
                    for (NodePtr& p : Children(d.get())) {
                        if (IsElement(p.get()) && Name(p.get()) == L"datetime" && ParseTime(p.get(), &t)) {
                            two.push_back(t);
                        }
                    }
                    if (two.size() == 2) {
                        pairs.push_back(TIMEDATE_PAIR{two[0], two[1]});
                    }
                }
            }
            item.value = values::TimeRange(times, pairs);
        } else if (kind == L"richtext") {
            RichTextWriter writer;
            writer.Blocks(v.get());
            item.value = values::RichText(writer.records);
        } else if (kind == L"object") {
            if (!FileItem(v.get(), item)) {
                return false;
            }
        } else if (kind == L"rawitemdata" || kind == L"itemdata") {
            std::vector<BYTE> data;
            if (!DecodeBase64(Text(v.get()), data)) {
                return false;
            }
            const WORD type = static_cast<WORD>(wcstoul(Attribute(v.get(), L"type").c_str(), nullptr, 16));
            item.value = values::Raw(type, data);
        } else if (kind == L"formula") {
            item.value = values::Raw(TYPE_FORMULA, std::vector<BYTE>());
            const std::string text = lmbcs::FromWide(Text(v.get()));
            item.value.insert(item.value.end(), text.begin(), text.end());
        } else {
            continue; // an unknown value kind: look further
        }
        return true;
    }
    return false;
}

struct ClassName {
    const wchar_t* element;
    WORD noteClass;
};

constexpr ClassName kClasses[] = {
    {L"document", NOTE_CLASS_DOCUMENT},
    {L"profiledocument", NOTE_CLASS_DOCUMENT},
    {L"form", NOTE_CLASS_FORM},
    {L"subform", NOTE_CLASS_FORM},
    {L"page", NOTE_CLASS_FORM},
    {L"frameset", NOTE_CLASS_FORM},
    {L"imageresource", NOTE_CLASS_FORM},
    {L"fileresource", NOTE_CLASS_FORM},
    {L"view", NOTE_CLASS_VIEW},
    {L"folder", NOTE_CLASS_VIEW},
    {L"agent", NOTE_CLASS_FILTER},
    {L"scriptlibrary", NOTE_CLASS_FILTER},
    {L"outline", NOTE_CLASS_FILTER},
    {L"databasescript", NOTE_CLASS_FILTER},
    {L"sharedfield", NOTE_CLASS_FIELD},
    {L"helpaboutdocument", NOTE_CLASS_INFO},
    {L"helpusingdocument", NOTE_CLASS_HELP},
    {L"icon", NOTE_CLASS_ICON},
    {L"sharedactions", NOTE_CLASS_FORM},
    {L"stylesheetresource", NOTE_CLASS_FORM},
};

constexpr ClassName kNoteClassTokens[] = {
    {L"document", NOTE_CLASS_DOCUMENT},
    {L"helpaboutdocument", NOTE_CLASS_INFO},
    {L"form", NOTE_CLASS_FORM},
    {L"view", NOTE_CLASS_VIEW},
    {L"icon", NOTE_CLASS_ICON},
    {L"helpindex", NOTE_CLASS_HELP_INDEX},
    {L"helpusingdocument", NOTE_CLASS_HELP},
    {L"filter", NOTE_CLASS_FILTER},
    {L"sharedfield", NOTE_CLASS_FIELD},
    {L"replicationformula", NOTE_CLASS_REPLFORMULA},
};

bool NoteClassOf(IXMLDOMNode* node, const std::wstring& element, WORD* noteClass)
{
    if (element == L"note") {
        const std::wstring token = Attribute(node, L"class");
        for (const ClassName& c : kNoteClassTokens) {
            if (token == c.element) {
                *noteClass = c.noteClass;
                return true;
            }
        }
        return false;
    }
    for (const ClassName& c : kClasses) {
        if (element == c.element) {
            *noteClass = c.noteClass;
            return true;
        }
    }
    return false;
}

void ReadNoteInfo(IXMLDOMNode* node, nsf::NoteData& note, NOTEID* requestedId)
{
    NodePtr info = Child(node, L"noteinfo");
    if (!info) {
        return;
    }
    *requestedId = wcstoul(Attribute(info.get(), L"noteid").c_str(), nullptr, 16);
    const std::wstring unid = Attribute(info.get(), L"unid");
    if (unid.size() == 32) {
        auto part = [&](size_t at) { return static_cast<DWORD>(wcstoul(unid.substr(at, 8).c_str(), nullptr, 16)); };
        note.oid.File.Innards[1] = part(0);
        note.oid.File.Innards[0] = part(8);
        note.oid.Note.Innards[1] = part(16);
        note.oid.Note.Innards[0] = part(24);
    }
    note.oid.Sequence = wcstoul(Attribute(info.get(), L"sequence").c_str(), nullptr, 10);
    TIMEDATE t{};
    for (const wchar_t* which : {L"created", L"modified", L"revised", L"addedtofile"}) {
        NodePtr wrapper = Child(info.get(), which);
        NodePtr datetime = wrapper ? Child(wrapper.get(), L"datetime") : NodePtr();
        if (!datetime || !ParseTime(datetime.get(), &t)) {
            continue;
        }
        const std::wstring w = which;
        if (w == L"modified") {
            note.modified = t;
        } else if (w == L"revised") {
            note.oid.SequenceTime = t;
        } else if (w == L"addedtofile") {
            note.added = t;
        } else if (timedate::IsMinimum(note.oid.Note)) {
            note.oid.Note = t;
        }
    }
}

std::string ProfileName(const std::wstring& name, const std::wstring& user)
{
    std::string lower = lmbcs::FromWide(name);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return static_cast<char>(tolower(c)); });
    char count[8];
    std::snprintf(count, sizeof(count), "%03u", static_cast<unsigned>(lower.size() % 1000));
    return "$profile_" + std::string(count) + lower + "_" + lmbcs::FromWide(user);
}

// A <mime> element holds the whole message as the exporter rebuilt it;
// its items go first, as Notes stores them, and where an <item> of the
// note has the same name that item is kept instead.
void AddMimeItems(IXMLDOMNode* node, nsf::NoteData& note)
{
    NodePtr mime = Child(node, L"mime");
    if (!mime) {
        return;
    }
    // XML reading turned the message's CRLF line ends into LF; mail has
    // CRLF, so they are put back.
    std::wstring text;
    for (wchar_t c : Text(mime.get())) {
        if (c == L'\n' && (text.empty() || text.back() != L'\r')) {
            text += L'\r';
        }
        text += c;
    }
    std::string stream(text.size() * 3, '\0');
    stream.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), stream.data(),
                                      static_cast<int>(stream.size()), nullptr, nullptr));
    std::vector<nsf::ItemData> items;
    for (nsf::ItemData& item : mimestream::ItemsOfMimeStream(stream)) {
        if (note.FindItem(item.name) == nullptr) {
            items.push_back(std::move(item));
        }
    }
    note.items.insert(note.items.begin(), std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
}

void ReadNote(IXMLDOMNode* node, const std::wstring& element, WORD noteClass, nsf::DbData& data,
              std::unordered_set<NOTEID>& used)
{
    nsf::NoteData note;
    note.noteClass = noteClass;
    NOTEID requested = 0;
    ReadNoteInfo(node, note, &requested);
    const TIMEDATE now = timedate::Now();
    if (timedate::IsMinimum(note.modified)) {
        note.modified = now;
    }
    if (timedate::IsMinimum(note.added)) {
        note.added = note.modified;
    }
    if (timedate::IsMinimum(note.oid.SequenceTime)) {
        note.oid.SequenceTime = note.modified;
    }
    if (timedate::IsMinimum(note.oid.File)) {
        note.oid.File = data.info.replicaId;
        note.oid.Note = timedate::FromUtcParts(2000, 1, 1, 0, 0, 0, 0, 0, false);
        note.oid.Note.Innards[0] = static_cast<DWORD>(data.notes.size() + 1);
    }
    for (NodePtr& c : Children(node)) {
        if (IsElement(c.get()) && Name(c.get()) == L"item") {
            nsf::ItemData item;
            if (ReadItem(c.get(), item)) {
                note.items.push_back(std::move(item));
            }
        }
    }
    AddMimeItems(node, note);
    const std::wstring form = Attribute(node, L"form");
    if (!form.empty() && note.FindItem("Form") == nullptr) {
        note.items.insert(note.items.begin(),
                          nsf::ItemData{"Form", ITEM_SUMMARY, values::Text(lmbcs::FromWide(form)), {}});
    }
    if (noteClass != NOTE_CLASS_DOCUMENT) {
        std::wstring title = Attribute(node, L"name");
        const std::wstring alias = Attribute(node, L"alias");
        if (!alias.empty()) {
            title += L"|" + alias;
        }
        if (!title.empty() && note.FindItem("$TITLE") == nullptr) {
            note.items.push_back(nsf::ItemData{"$TITLE", ITEM_SUMMARY, values::Text(lmbcs::FromWide(title)), {}});
        }
    }
    if (element == L"profiledocument") {
        note.flags |= nsf::kNoteProfile;
        note.items.push_back(
            nsf::ItemData{"$Name",
                          ITEM_SUMMARY,
                          values::Text(ProfileName(Attribute(node, L"name"), Attribute(node, L"username"))),
                          {}});
    }
    const bool idFree = requested != 0 && (requested & RRV_DELETED) == 0 && used.count(requested) == 0;
    nsf::NoteData& added = data.AddNote();
    NOTEID assigned = added.id;
    while (!idFree && used.count(assigned) != 0) {
        assigned += 4;
    }
    added = std::move(note);
    added.id = idFree ? requested : assigned;
    used.insert(added.id);
    data.info.nextNoteId = std::max(data.info.nextNoteId, added.id + 4);
}

void ReadDatabase(IXMLDOMNode* root, nsf::DbData& data)
{
    const std::wstring title = Attribute(root, L"title");
    if (!title.empty()) {
        data.info.title = lmbcs::FromWide(title);
    }
    std::wstring replica = Attribute(root, L"replicaid");
    NodePtr info = Child(root, L"databaseinfo");
    if (replica.empty() && info) {
        replica = Attribute(info.get(), L"replicaid");
    }
    if (replica.size() == 16) {
        data.info.replicaId.Innards[1] = wcstoul(replica.substr(0, 8).c_str(), nullptr, 16);
        data.info.replicaId.Innards[0] = wcstoul(replica.substr(8, 8).c_str(), nullptr, 16);
    }
    if (info) {
        if (NodePtr c = Child(info.get(), L"created")) {
            if (NodePtr d = Child(c.get(), L"datetime")) {
                ParseTime(d.get(), &data.info.created);
            }
        }
    }
}

} // namespace

bool Import(const std::wstring& dxlPath, nsf::DbData& data, std::wstring* error)
{
    CLSID clsid;
    brw::ComPtr<IXMLDOMDocument> document;
    if (FAILED(CLSIDFromProgID(kDomProgId, &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument, document.put_void()))) {
        *error = L"MSXML is not available";
        return false;
    }
    document->put_async(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    document->put_preserveWhiteSpace(VARIANT_TRUE);
    VARIANT source;
    VariantInit(&source);
    source.vt = VT_BSTR;
    source.bstrVal = SysAllocString(dxlPath.c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    const HRESULT hr = document->load(source, &loaded);
    VariantClear(&source);
    brw::ComPtr<IXMLDOMElement> rootElement;
    if (FAILED(hr) || loaded != VARIANT_TRUE || document->get_documentElement(rootElement.put()) != S_OK) {
        *error = L"not a well-formed XML file";
        return false;
    }
    NodePtr root;
    rootElement->QueryInterface(IID_IXMLDOMNode, root.put_void());
    const std::wstring rootName = Name(root.get());
    WORD noteClass = 0;
    std::unordered_set<NOTEID> used;
    for (const nsf::NoteData& note : data.notes) {
        used.insert(note.id);
    }
    if (rootName == L"database") {
        ReadDatabase(root.get(), data);
        for (NodePtr& c : Children(root.get())) {
            if (IsElement(c.get())) {
                const std::wstring element = Name(c.get());
                if (NoteClassOf(c.get(), element, &noteClass)) {
                    ReadNote(c.get(), element, noteClass, data, used);
                }
            }
        }
    } else if (NoteClassOf(root.get(), rootName, &noteClass)) {
        ReadNote(root.get(), rootName, noteClass, data, used);
    } else {
        *error = L"the root element is neither a database nor a note";
        return false;
    }
    DWORD highest = 0;
    for (const nsf::NoteData& note : data.notes) {
        highest = std::max(highest, note.id);
    }
    data.info.nextNoteId = std::max(data.info.nextNoteId, highest + 4);
    return true;
}

} // namespace dxl
