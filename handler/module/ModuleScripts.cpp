#include "handler/module/ModuleScripts.h"

#include "common/WideString.h"
#include "handler/module/IndexNotifier.h"
#include "handler/protocol/NSFProtocol.h"
#include "handler/shell/NoteContextMenu.h"
#include "handler/shell/PreviewShellView.h"
#include "handler/shell/SearchResult.h"
#include "handler/shell/SearchResultsShell.h"

#include <string>
#include <vector>

namespace brw {
namespace {

using V = ScriptValue;

constexpr wchar_t kResultsShellName[] = L"BRW Notes Connector Search Results Shell";
constexpr wchar_t kMicrosoft[] = L"Software\\Microsoft";

struct ItemType {
    const wchar_t* key;
    const wchar_t* friendlyName;
};

constexpr ItemType kItemTypes[] = {
    {L"BRW/Message", L"Mail Message"},
    {L"BRW/Appointment", L"Appointment"},
    {L"BRW/Meeting", L"Meeting"},
    {L"BRW/ToDo", L"ToDo"},
    {L"BRW/Contact", L"Contact"},
    {L"BRW/Attachment", L"Attachment"},
    {L"BRW/NotesDocument", L"Notes Document"},
    {L"BRW/NotesDatabase", L"Notes Database"},
    {L"BRW/ApplicationData", L"Application Data"},
};

std::vector<ScriptValue> ItemTypeValues(const std::wstring& key, const wchar_t* friendlyName)
{
    std::vector<ScriptValue> values{V::String(L"FriendlyTypeName", friendlyName)};
    if (key == L"BRW/Message") {
        values.push_back(V::String(L"PreviewDetails",
                                   L"prop:System.Message.FromName;System.Message.ToName;System.Message.DateReceived;"
                                   L"System.IsRead;System.Message.HasAttachments;System.Size"));
        values.push_back(V::String(L"ContentViewModeForSearch",
                                   L"prop:~System.Subject;~System.Message.FromName;System.Message.DateReceived;"
                                   L"System.Size"));
        values.push_back(V::String(L"ContentViewModeLayoutPatternForSearch", L"beta"));
    } else if (key == L"BRW/Attachment") {
        values.push_back(V::String(L"PreviewDetails",
                                   L"prop:System.Message.FromName;System.Message.ToName;System.Message.DateReceived;"
                                   L"System.ItemType;System.Size"));
    }
    return values;
}

void AddItemTypes(RegistryScript* script)
{
    for (const ItemType& type : kItemTypes) {
        script->push_back(
            {HKEY_CLASSES_ROOT, type.key, KeyMode::ForceRemove, ItemTypeValues(type.key, type.friendlyName)});
        if (std::wstring(type.key) == L"BRW/Message") {
            script->push_back({HKEY_CLASSES_ROOT,
                               std::wstring(type.key) + L"\\ShellEx\\{8895b1c6-b41f-4c1c-a562-0d564250836f}",
                               KeyMode::Normal,
                               {V::Default(L"{a42c2ccb-67d3-46fa-abe6-7d2f3488c7a3}")}});
        }
    }
    for (const ItemType& type : kItemTypes) {
        script->push_back({HKEY_CLASSES_ROOT,
                           std::wstring(L"SystemFileAssociations\\") + type.key,
                           KeyMode::ForceRemove,
                           {V::String(L"FriendlyTypeName", type.friendlyName)}});
    }
}

// The two ProgIDs of a class, "BRWHandler.<coclass>.1" and "BRWHandler.<coclass>".
void AddProgIds(RegistryScript* script, const std::wstring& coclass, const std::wstring& description,
                const std::wstring& clsid)
{
    const std::wstring versioned = L"BRWHandler." + coclass + L".1";
    const std::wstring independent = L"BRWHandler." + coclass;
    script->push_back({HKEY_CLASSES_ROOT, versioned, KeyMode::Normal, {V::Default(description)}});
    script->push_back({HKEY_CLASSES_ROOT, versioned + L"\\CLSID", KeyMode::Normal, {V::Default(clsid)}});
    script->push_back({HKEY_CLASSES_ROOT, independent, KeyMode::Normal, {V::Default(description)}});
    script->push_back({HKEY_CLASSES_ROOT, independent + L"\\CLSID", KeyMode::Normal, {V::Default(clsid)}});
    script->push_back({HKEY_CLASSES_ROOT, independent + L"\\CurVer", KeyMode::Normal, {V::Default(versioned)}});
}

// Whether a class is also reachable through automation (Programmable and its
// type library) or only through its interfaces.
enum class Automation { None, TypeLibrary };

void AddClassKey(RegistryScript* script, const std::wstring& coclass, const std::wstring& clsid,
                 const std::wstring& description, const wchar_t* threading, Automation automation)
{
    const std::wstring key = L"CLSID\\" + clsid;
    script->push_back({HKEY_CLASSES_ROOT, key, KeyMode::ForceRemove, {V::Default(description)}});
    script->push_back(
        {HKEY_CLASSES_ROOT, key + L"\\ProgID", KeyMode::Normal, {V::Default(L"BRWHandler." + coclass + L".1")}});
    script->push_back({HKEY_CLASSES_ROOT,
                       key + L"\\VersionIndependentProgID",
                       KeyMode::Normal,
                       {V::Default(L"BRWHandler." + coclass)}});
    if (automation == Automation::TypeLibrary) {
        script->push_back({HKEY_CLASSES_ROOT, key + L"\\Programmable", KeyMode::ForceRemove, {}});
    }
    script->push_back({HKEY_CLASSES_ROOT,
                       key + L"\\InprocServer32",
                       KeyMode::Normal,
                       {V::Default(L"%MODULE%"), V::String(L"ThreadingModel", threading)}});
    if (automation == Automation::TypeLibrary) {
        script->push_back({HKEY_CLASSES_ROOT,
                           key + L"\\TypeLib",
                           KeyMode::Normal,
                           {V::Default(GuidToString(kHandlerTypeLibraryId))}});
    }
}

void AddShellAndSearchBindings(RegistryScript* script)
{
    const std::wstring microsoft(kMicrosoft);
    const std::wstring search(kWindowsSearchKey);
    script->push_back({HKEY_LOCAL_MACHINE,
                       microsoft + L"\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\" +
                           GuidToString(kSearchResultsShellClsid),
                       KeyMode::ForceRemove,
                       {V::Default(kResultsShellName)}});
    script->push_back({HKEY_LOCAL_MACHINE,
                       microsoft + L"\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
                       KeyMode::NoRemove,
                       {V::String(GuidToString(kSearchResultsShellClsid), kResultsShellName)}});
    const std::wstring protocols = search + L"\\Gather\\Windows\\SystemIndex\\Protocols\\brw";
    script->push_back({HKEY_LOCAL_MACHINE, protocols, KeyMode::ForceRemove, {}});
    script->push_back({HKEY_LOCAL_MACHINE,
                       protocols + L"\\0",
                       KeyMode::Normal,
                       {V::Dword(L"ExtExclusionsUsed", 0), V::Dword(L"Included", 1), V::String(L"PrefixName", L""),
                        V::String(L"ProgIdHandler", kProtocolProgId)}});
    script->push_back({HKEY_LOCAL_MACHINE, search + L"\\PHSearchConnectors\\BRW", KeyMode::ForceRemove, {}});
    script->push_back({HKEY_LOCAL_MACHINE,
                       search + L"\\PHSearchConnectors\\BRW\\Default",
                       KeyMode::ForceRemove,
                       {V::String(L"Name", L"IBM Lotus Notes Content"),
                        V::String(L"Description", L"Search results from your IBM Lotus Notes applications")}});
    script->push_back(
        {HKEY_LOCAL_MACHINE, search + L"\\ProtocolHandlers", KeyMode::NoRemove, {V::String(L"brw", kProtocolProgId)}});
    script->push_back(
        {HKEY_LOCAL_MACHINE,
         search + L"\\ProtocolHandlerLocations\\BRW",
         KeyMode::ForceRemove,
         {V::String(L"Name", L"BRW Connector"), V::String(L"Description", L"Indexed IBM Lotus Notes Content")}});
}

} // namespace

std::vector<std::wstring> RegisteredItemTypes()
{
    std::vector<std::wstring> types;
    for (const ItemType& type : kItemTypes) {
        types.push_back(type.key);
    }
    return types;
}

RegistryScript ModuleScript()
{
    RegistryScript script;
    AddItemTypes(&script);
    const std::wstring clsid = GuidToString(kNSFProtocolClsid);
    AddProgIds(&script, L"NSFProtocol", L"NSFProtocol Class", clsid);
    AddClassKey(&script, L"NSFProtocol", clsid, L"Windows Search Service Lotus Notes Protocol Handler", L"Free",
                Automation::None);
    AddShellAndSearchBindings(&script);
    return script;
}

namespace {

// The scripts of the classes reachable through a ProgID and the module's
// type library: "<coclass> Class" everywhere.
RegistryScript ProgrammableClassScript(const std::wstring& coclass, const CLSID& classId)
{
    RegistryScript script;
    const std::wstring clsid = GuidToString(classId);
    const std::wstring description = coclass + L" Class";
    AddProgIds(&script, coclass, description, clsid);
    AddClassKey(&script, coclass, clsid, description, L"Apartment", Automation::TypeLibrary);
    return script;
}

// The class key of a folder: no ProgID subkeys and no automation, only the
// in-process server in the shell's apartment.
void AddFolderClassKey(RegistryScript* script, const std::wstring& clsid, std::vector<ScriptValue> values)
{
    const std::wstring key = L"CLSID\\" + clsid;
    script->push_back({HKEY_CLASSES_ROOT, key, KeyMode::ForceRemove, std::move(values)});
    script->push_back({HKEY_CLASSES_ROOT,
                       key + L"\\InprocServer32",
                       KeyMode::Normal,
                       {V::Default(L"%MODULE%"), V::String(L"ThreadingModel", L"Apartment")}});
}

} // namespace

RegistryScript IndexNotifierScript()
{
    return ProgrammableClassScript(L"IndexNotifier", kIndexNotifierClsid);
}

RegistryScript PreviewShellViewScript()
{
    return ProgrammableClassScript(L"BRWPreviewShellView", kBRWPreviewShellViewClsid);
}

RegistryScript NoteContextMenuScript()
{
    return ProgrammableClassScript(L"NoteContextMenu", kNoteContextMenuClsid);
}

RegistryScript SearchResultScript()
{
    RegistryScript script;
    const std::wstring clsid = GuidToString(kSearchResultClsid);
    AddProgIds(&script, L"SearchResult", L"SearchResult Class", clsid);
    AddFolderClassKey(&script, clsid, {V::Default(L"SearchResult Class")});
    return script;
}

RegistryScript SearchResultsShellScript()
{
    RegistryScript script;
    const std::wstring clsid = GuidToString(kSearchResultsShellClsid);
    AddProgIds(&script, L"SearchResultsShell", L"SearchResultsShell Class", clsid);
    AddFolderClassKey(
        &script, clsid,
        {V::Default(L"Brimlow Search Namespace Extension"), V::String(L"InfoTip", L"BRW Search Results")});
    script.push_back({HKEY_CLASSES_ROOT,
                      L"CLSID\\" + clsid + L"\\ShellFolder",
                      KeyMode::Normal,
                      {V::Dword(L"Attributes", SFGAO_NONENUMERATED)}});
    return script;
}

} // namespace brw
