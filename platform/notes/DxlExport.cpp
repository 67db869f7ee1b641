#include "platform/notes/DxlExport.h"

#include "common/ComHolders.h"
#include "platform/notes/DxlFileFlags.h"
#include "platform/notes/Lmbcs.h"
#include "platform/notes/TimeDate.h"

#include <msxml2.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace dxl {
namespace {

constexpr wchar_t kDomProgId[] = L"MSXML2.DOMDocument.3.0";
constexpr wchar_t kNamespace[] = L"http://www.lotus.com/dxl";

using ElementPtr = brw::ComPtr<IXMLDOMElement>;

std::wstring Hex(DWORD value, int digits)
{
    wchar_t text[16];
    swprintf(text, 16, L"%0*X", digits, static_cast<unsigned>(value));
    return text;
}

std::wstring Base64(const BYTE* data, size_t size)
{
    if (size == 0) {
        return std::wstring();
    }
    DWORD length = 0;
    const DWORD flags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
    if (!CryptBinaryToStringW(data, static_cast<DWORD>(size), flags, nullptr, &length)) {
        return std::wstring();
    }
    std::wstring text(length, L'\0');
    CryptBinaryToStringW(data, static_cast<DWORD>(size), flags, text.data(), &length);
    text.resize(length);
    return text;
}

// Local time with the offset in effect: the zone of the value, plus an hour
// when its daylight-saving flag is set (the DXL reading of that flag).
std::wstring TimeText(const TIMEDATE& t, bool* dst)
{
    const DWORD zone = t.Innards[1] >> 24;
    *dst = (zone & 0x80) != 0;
    int minutes = static_cast<int>(zone & 0x0F) * 60 + static_cast<int>((zone >> 4) & 0x03) * 15;
    if ((zone & 0x40) == 0) {
        minutes = -minutes;
    }
    if (*dst) {
        minutes += 60;
    }
    FILETIME utc;
    if (t.Innards[1] == ANYDAY || !timedate::ToFileTime(t, &utc)) {
        if (t.Innards[1] == ANYDAY && t.Innards[0] != ALLDAY) {
            const DWORD s = t.Innards[0] / 100;
            wchar_t text[32];
            swprintf(text, 32, L"T%02u%02u%02u,%02u", s / 3600, (s / 60) % 60, s % 60,
                     static_cast<unsigned>(t.Innards[0] % 100));
            return text;
        }
        return std::wstring();
    }
    ULARGE_INTEGER v{};
    v.LowPart = utc.dwLowDateTime;
    v.HighPart = utc.dwHighDateTime;
    v.QuadPart += static_cast<LONGLONG>(minutes) * 60 * 10000000;
    FILETIME local{v.LowPart, v.HighPart};
    SYSTEMTIME st;
    FileTimeToSystemTime(&local, &st);
    wchar_t text[48];
    if (t.Innards[0] == ALLDAY) {
        swprintf(text, 48, L"%04u%02u%02u", st.wYear, st.wMonth, st.wDay);
        return text;
    }
    const int magnitude = minutes < 0 ? -minutes : minutes;
    swprintf(text, 48, L"%04u%02u%02uT%02u%02u%02u,%02u%lc%02d%02d", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
             st.wSecond, static_cast<unsigned>(t.Innards[0] % 100), minutes < 0 ? L'-' : L'+', magnitude / 60,
             magnitude % 60);
    return text;
}

class Writer {
public:
    explicit Writer(IXMLDOMDocument* document) : document_(document) {}

    ElementPtr Element(IXMLDOMNode* parent, const wchar_t* name)
    {
        brw::ComPtr<IXMLDOMNode> node;
        VARIANT type;
        VariantInit(&type);
        type.vt = VT_I4;
        type.lVal = NODE_ELEMENT;
        brw::Bstr bname(SysAllocString(name));
        brw::Bstr ns(SysAllocString(kNamespace));
        ElementPtr element;
        if (SUCCEEDED(document_->createNode(type, bname.get(), ns.get(), node.put())) &&
            SUCCEEDED(node->QueryInterface(IID_IXMLDOMElement, element.put_void()))) {
            brw::ComPtr<IXMLDOMNode> added;
            parent->appendChild(node.get(), added.put());
        }
        return element;
    }
    void Attribute(IXMLDOMElement* element, const wchar_t* name, const std::wstring& value)
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(value.c_str());
        brw::Bstr bname(SysAllocString(name));
        element->setAttribute(bname.get(), v);
        VariantClear(&v);
    }
    void Text(IXMLDOMNode* parent, const std::wstring& text)
    {
        brw::ComPtr<IXMLDOMText> node;
        brw::Bstr btext(SysAllocString(text.c_str()));
        if (SUCCEEDED(document_->createTextNode(btext.get(), node.put()))) {
            brw::ComPtr<IXMLDOMNode> added;
            parent->appendChild(node.get(), added.put());
        }
    }
    // Text with stored NULs as <break/>.
    void TextValue(IXMLDOMNode* parent, const std::string& lmbcsText)
    {
        ElementPtr text = Element(parent, L"text");
        size_t start = 0;
        while (start <= lmbcsText.size()) {
            size_t nul = lmbcsText.find('\0', start);
            if (nul == std::string::npos) {
                nul = lmbcsText.size();
            }
            if (nul > start) {
                Text(text.get(), lmbcs::ToWide(lmbcsText.substr(start, nul - start)));
            }
            if (nul < lmbcsText.size()) {
                Element(text.get(), L"break");
            }
            start = nul + 1;
        }
    }
    void Time(IXMLDOMNode* parent, const TIMEDATE& t)
    {
        bool dst = false;
        ElementPtr element = Element(parent, L"datetime");
        const std::wstring text = TimeText(t, &dst);
        if (dst) {
            Attribute(element.get(), L"dst", L"true");
        }
        if (!text.empty()) {
            Text(element.get(), text);
        }
    }

private:
    IXMLDOMDocument* document_;
};

template <typename T>
T At(const BYTE* p)
{
    T v;
    std::memcpy(&v, p, sizeof(T));
    return v;
}

void Raw(Writer& w, IXMLDOMNode* item, WORD type, const BYTE* data, size_t size)
{
    ElementPtr raw = w.Element(item, L"rawitemdata");
    wchar_t hex[8];
    swprintf(hex, 8, L"%x", type);
    w.Attribute(raw.get(), L"type", hex);
    w.Text(raw.get(), Base64(data, size));
}

std::wstring Number(double n)
{
    wchar_t text[64];
    swprintf(text, 64, L"%.17g", n);
    return text;
}

void Value(Writer& w, IXMLDOMElement* item, const nsf::ItemData& data)
{
    const BYTE* v = data.value.data();
    const size_t size = data.value.size();
    const WORD type = size >= 2 ? At<WORD>(v) : WORD(TYPE_INVALID_OR_UNKNOWN);
    const BYTE* body = v + 2;
    const size_t bodySize = size >= 2 ? size - 2 : 0;
    if (type == TYPE_TEXT) {
        w.TextValue(item, std::string(reinterpret_cast<const char*>(body), bodySize));
    } else if (type == TYPE_TEXT_LIST && bodySize >= 2) {
        const WORD count = At<WORD>(body);
        size_t pos = 2 + size_t(count) * 2;
        if (pos > bodySize) {
            return Raw(w, item, type, body, bodySize);
        }
        ElementPtr list = w.Element(item, L"textlist");
        for (WORD i = 0; i < count; ++i) {
            const WORD length = At<WORD>(body + 2 + i * 2);
            if (length > bodySize - pos) {
                break;
            }
            w.TextValue(list.get(), std::string(reinterpret_cast<const char*>(body + pos), length));
            pos += length;
        }
    } else if (type == TYPE_NUMBER && bodySize == sizeof(double)) {
        ElementPtr n = w.Element(item, L"number");
        w.Text(n.get(), Number(At<double>(body)));
    } else if (type == TYPE_TIME && bodySize == sizeof(TIMEDATE)) {
        w.Time(item, At<TIMEDATE>(body));
    } else if (type == TYPE_TIME_RANGE && bodySize >= sizeof(RANGE)) {
        const RANGE range = At<RANGE>(body);
        if (sizeof(RANGE) + range.ListEntries * 8u + range.RangeEntries * 16u != bodySize) {
            return Raw(w, item, type, body, bodySize);
        }
        ElementPtr list = w.Element(item, L"datetimelist");
        const BYTE* p = body + sizeof(RANGE);
        for (USHORT i = 0; i < range.ListEntries; ++i, p += 8) {
            w.Time(list.get(), At<TIMEDATE>(p));
        }
        for (USHORT i = 0; i < range.RangeEntries; ++i, p += 16) {
            ElementPtr pair = w.Element(list.get(), L"datetimepair");
            w.Time(pair.get(), At<TIMEDATE>(p));
            w.Time(pair.get(), At<TIMEDATE>(p + 8));
        }
    } else if (type == TYPE_OBJECT && bodySize >= sizeof(FILEOBJECT) &&
               At<FILEOBJECT>(body).Header.ObjectType == OBJECT_FILE) {
        const FILEOBJECT object = At<FILEOBJECT>(body);
        const size_t nameLength = std::min<size_t>(object.FileNameLength, bodySize - sizeof(FILEOBJECT));
        ElementPtr o = w.Element(item, L"object");
        ElementPtr file = w.Element(o.get(), L"file");
        w.Attribute(file.get(), L"hosttype", L"msdos");
        w.Attribute(file.get(), L"compression", L"none");
        const std::wstring flags = dxl::FileFlagTokens(object.Flags);
        if (!flags.empty()) {
            w.Attribute(file.get(), L"flags", flags);
        }
        w.Attribute(file.get(), L"encoding", dxl::FileEncodingToken(object.Flags));
        w.Attribute(file.get(), L"name",
                    lmbcs::ToWide(std::string(reinterpret_cast<const char*>(body + sizeof(FILEOBJECT)), nameLength)));
        w.Attribute(file.get(), L"size", std::to_wstring(data.object.size()));
        ElementPtr created = w.Element(file.get(), L"created");
        w.Time(created.get(), object.FileCreated);
        ElementPtr modified = w.Element(file.get(), L"modified");
        w.Time(modified.get(), object.FileModified);
        ElementPtr filedata = w.Element(file.get(), L"filedata");
        w.Text(filedata.get(), Base64(data.object.data(), data.object.size()));
    } else {
        Raw(w, item, type, body, bodySize);
    }
}

const wchar_t* ClassToken(WORD noteClass)
{
    switch (noteClass & 0x0FFF) {
    case NOTE_CLASS_INFO:
        return L"helpaboutdocument";
    case NOTE_CLASS_FORM:
        return L"form";
    case NOTE_CLASS_VIEW:
        return L"view";
    case NOTE_CLASS_ICON:
        return L"icon";
    case NOTE_CLASS_HELP_INDEX:
        return L"helpindex";
    case NOTE_CLASS_HELP:
        return L"helpusingdocument";
    case NOTE_CLASS_FILTER:
        return L"filter";
    case NOTE_CLASS_FIELD:
        return L"sharedfield";
    case NOTE_CLASS_REPLFORMULA:
        return L"replicationformula";
    default:
        return L"document";
    }
}

std::wstring Unid(const ORIGINATORID& oid)
{
    return Hex(oid.File.Innards[1], 8) + Hex(oid.File.Innards[0], 8) + Hex(oid.Note.Innards[1], 8) +
           Hex(oid.Note.Innards[0], 8);
}

void Note(Writer& w, IXMLDOMNode* root, const nsf::NoteData& note)
{
    const bool profile = (note.flags & nsf::kNoteProfile) != 0;
    ElementPtr element;
    if (profile) {
        element = w.Element(root, L"profiledocument");
        std::string name;
        for (const nsf::ItemData& item : note.items) {
            if (item.name == "$Name" && item.value.size() > 14) {
                // $profile_NNNname_user
                const std::string text(item.value.begin() + 2, item.value.end());
                const size_t length = static_cast<size_t>(atoi(text.substr(9, 3).c_str()));
                name = text.substr(12, length);
                w.Attribute(element.get(), L"username", lmbcs::ToWide(text.substr(std::min(text.size(), 13 + length))));
            }
        }
        w.Attribute(element.get(), L"name", lmbcs::ToWide(name));
    } else if (note.noteClass == NOTE_CLASS_DOCUMENT) {
        element = w.Element(root, L"document");
    } else {
        element = w.Element(root, L"note");
        w.Attribute(element.get(), L"class", ClassToken(note.noteClass));
    }
    ElementPtr info = w.Element(element.get(), L"noteinfo");
    wchar_t id[16];
    swprintf(id, 16, L"%x", static_cast<unsigned>(note.id));
    w.Attribute(info.get(), L"noteid", id);
    w.Attribute(info.get(), L"unid", Unid(note.oid));
    w.Attribute(info.get(), L"sequence", std::to_wstring(note.oid.Sequence));
    const std::pair<const wchar_t*, TIMEDATE> times[] = {{L"created", note.oid.Note},
                                                         {L"modified", note.modified},
                                                         {L"revised", note.oid.SequenceTime},
                                                         {L"addedtofile", note.added}};
    for (const auto& t : times) {
        ElementPtr wrapper = w.Element(info.get(), t.first);
        w.Time(wrapper.get(), t.second);
    }
    for (const nsf::ItemData& item : note.items) {
        if (profile && item.name == "$Name") {
            continue; // rebuilt from the element's name on import
        }
        ElementPtr e = w.Element(element.get(), L"item");
        w.Attribute(e.get(), L"name", lmbcs::ToWide(item.name));
        w.Attribute(e.get(), L"summary", (item.flags & ITEM_SUMMARY) ? L"true" : L"false");
        if (item.flags & ITEM_SIGN) {
            w.Attribute(e.get(), L"sign", L"true");
        }
        if (item.flags & ITEM_SEAL) {
            w.Attribute(e.get(), L"seal", L"true");
        }
        if ((item.flags & ITEM_NAMES) && !(item.flags & (ITEM_READERS | ITEM_READWRITERS))) {
            w.Attribute(e.get(), L"names", L"true");
        }
        if (item.flags & ITEM_READERS) {
            w.Attribute(e.get(), L"readers", L"true");
        }
        if (item.flags & ITEM_READWRITERS) {
            w.Attribute(e.get(), L"authors", L"true");
        }
        if (item.flags & ITEM_PROTECTED) {
            w.Attribute(e.get(), L"protected", L"true");
        }
        if (item.flags & ITEM_PLACEHOLDER) {
            w.Attribute(e.get(), L"placeholder", L"true");
        }
        Value(w, e.get(), item);
    }
}

} // namespace

bool Export(const nsf::DbData& data, const std::wstring& dxlPath, std::wstring* error)
{
    CLSID clsid;
    brw::ComPtr<IXMLDOMDocument> document;
    if (FAILED(CLSIDFromProgID(kDomProgId, &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument, document.put_void()))) {
        *error = L"MSXML is not available";
        return false;
    }
    brw::ComPtr<IXMLDOMProcessingInstruction> declaration;
    brw::Bstr target(SysAllocString(L"xml"));
    brw::Bstr declarationText(SysAllocString(L"version='1.0' encoding='utf-8'"));
    brw::ComPtr<IXMLDOMNode> added;
    if (SUCCEEDED(document->createProcessingInstruction(target.get(), declarationText.get(), declaration.put()))) {
        document->appendChild(declaration.get(), added.put());
    }
    Writer w(document.get());
    brw::ComPtr<IXMLDOMNode> documentNode;
    document->QueryInterface(IID_IXMLDOMNode, documentNode.put_void());
    ElementPtr root = w.Element(documentNode.get(), L"database");
    if (!root) {
        *error = L"cannot build the document";
        return false;
    }
    w.Attribute(root.get(), L"version", L"9.0");
    w.Attribute(root.get(), L"title", lmbcs::ToWide(data.info.title));
    w.Attribute(root.get(), L"replicaid",
                Hex(data.info.replicaId.Innards[1], 8) + Hex(data.info.replicaId.Innards[0], 8));
    ElementPtr info = w.Element(root.get(), L"databaseinfo");
    ElementPtr created = w.Element(info.get(), L"created");
    w.Time(created.get(), data.info.created);
    for (const nsf::NoteData& note : data.notes) {
        if ((note.flags & nsf::kNoteDeleted) == 0) {
            Note(w, root.get(), note);
        }
    }
    VARIANT path;
    VariantInit(&path);
    path.vt = VT_BSTR;
    path.bstrVal = SysAllocString(dxlPath.c_str());
    const HRESULT hr = document->save(path);
    VariantClear(&path);
    if (FAILED(hr)) {
        *error = L"cannot write " + dxlPath;
        return false;
    }
    return true;
}

} // namespace dxl
