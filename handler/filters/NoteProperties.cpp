#include "handler/filters/NoteProperties.h"

#include "handler/filters/PropertyKeys.h"
#include "handler/pipe/ReplyFields.h"

#include <new>

namespace brw {

const PropertyKeyEntry kNoteProperties[kNotePropertyCount] = {kItemNameDisplayKey,
                                                              kItemTypeKey,
                                                              kAuthorKey,
                                                              kKindKey,
                                                              kSizeKey,
                                                              kItemFolderPathDisplayNarrowKey,
                                                              kDateModifiedKey,
                                                              kFromNameKey,
                                                              kHasAttachmentsKey,
                                                              kIsAttachmentKey,
                                                              kFileNameKey,
                                                              kItemPathDisplayKey,
                                                              kParsingNameKey,
                                                              kLocationKey,
                                                              kStartDateKey,
                                                              kEndDateKey,
                                                              kDateReceivedKey,
                                                              kToNameKey,
                                                              kToAddressKey,
                                                              kCcNameKey,
                                                              kCcAddressKey,
                                                              kSubjectKey,
                                                              kDateSentKey};

namespace {

bool SameNoCase(const std::wstring& a, const wchar_t* b)
{
    return CompareStringOrdinal(a.c_str(), -1, b, -1, TRUE) == CSTR_EQUAL;
}

bool IsOneOf(const std::wstring& form, std::initializer_list<const wchar_t*> names)
{
    for (const wchar_t* name : names) {
        if (SameNoCase(form, name)) {
            return true;
        }
    }
    return false;
}

std::wstring Field(std::wstring_view reply, const wchar_t* name)
{
    std::wstring value;
    GetFieldValue(reply, name, &value);
    return value;
}

std::wstring FormName(std::wstring_view reply)
{
    std::wstring form = Field(reply, L"Form");
    return form.empty() ? Field(reply, L"FORM") : form;
}

void ReplaceAll(std::wstring* text, const wchar_t* from, const wchar_t* to)
{
    const std::wstring pattern(from);
    const std::wstring replacement(to);
    for (size_t at = text->find(pattern); at != std::wstring::npos; at = text->find(pattern, at + replacement.size())) {
        text->replace(at, pattern.size(), replacement);
    }
}

std::wstring DirectoryTitle(std::wstring_view reply, const std::wstring& form)
{
    for (const wchar_t* name : {L"Name", L"FullName", L"Subject"}) {
        std::wstring value = Field(reply, name);
        if (!value.empty()) {
            return value;
        }
    }
    const std::wstring first = Field(reply, L"FirstName");
    const std::wstring last = Field(reply, L"LastName");
    if (!first.empty() || !last.empty()) {
        return first + L" " + last;
    }
    return form.empty() ? std::wstring(L"unknown name") : form;
}

std::wstring SubjectOrDefault(std::wstring_view reply)
{
    std::wstring subject = Field(reply, L"Subject");
    return subject.empty() ? std::wstring(L"no subject") : subject;
}

// What a form makes of a document: its Kind and its item type.
struct FormClass {
    const wchar_t* form;
    const wchar_t* kind;
    const wchar_t* itemType;
};

constexpr FormClass kFormClasses[] = {
    {L"Message", L"email", L"BRW/Message"},
    {L"Memo", L"email", L"BRW/Message"},
    {L"Reply", L"email", L"BRW/Message"},
    {L"Appointment", L"calendar", L"BRW/Appointment"},
    {L"Task", L"task", L"BRW/ToDo"},
    {L"Person", L"contact", L"BRW/Contact"},
    {L"DPABPerson", L"contact", L"BRW/Contact"},
};
// The type registered for the shell is "BRW/ApplicationData"; a type
// without a registration would show no friendly name.
constexpr FormClass kOtherForm = {L"", L"email", L"BRW/ApplicationData"};

const FormClass& ClassOf(const std::wstring& form)
{
    for (const FormClass& entry : kFormClasses) {
        if (SameNoCase(form, entry.form)) {
            return entry;
        }
    }
    return kOtherForm;
}

const wchar_t* KindOf(const std::wstring& form)
{
    return ClassOf(form).kind;
}

const wchar_t* FolderOf(std::wstring_view reply)
{
    const bool delivered = HasFieldValue(reply, L"DeliveredDate");
    const bool posted = HasFieldValue(reply, L"PostedDate");
    if (!delivered && posted) {
        return L"Sent (/Mail)";
    }
    if (!posted && !HasFieldValue(reply, L"$MessageType")) {
        return HasFieldValue(reply, L"SendTo") ? L"Drafts (/Mail)" : L"Other";
    }
    return L"All Documents (/Mail)";
}

bool RunsOnWindowsXp()
{
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL known = GetVersionExW(&version);
#pragma GCC diagnostic pop
    return known && version.dwMajorVersion == 5 && version.dwMinorVersion == 1;
}

void SetFirstDate(std::wstring_view reply, std::initializer_list<const wchar_t*> names, PROPVARIANT* value)
{
    for (const wchar_t* name : names) {
        FILETIME time = {};
        if (GetDateField(reply, name, &time)) {
            SetFileTimeValue(value, time);
            return;
        }
    }
}

HRESULT SetListValue(std::wstring_view reply, const wchar_t* name, PROPVARIANT* value)
{
    StringList list;
    if (!GetTextListField(reply, name, &list)) {
        return S_OK;
    }
    std::wstring joined;
    for (int i = 0; i < list.Count(); ++i) {
        joined += CleanNotesName(list.Item(i), L"/");
        joined += L",";
    }
    return SetBstrValue(value, joined);
}

HRESULT SetOptionalField(std::wstring_view reply, const wchar_t* name, PROPVARIANT* value)
{
    std::wstring text;
    if (!GetFieldValue(reply, name, &text)) {
        return S_OK;
    }
    return SetBstrValue(value, text);
}

HRESULT ComputeTextProperty(ULONG index, std::wstring_view reply, const std::wstring& noteId, PROPVARIANT* value)
{
    switch (index) {
    case 0:
    case 21:
        return SetBstrValue(value, DocumentTitle(reply));
    case 1:
        return SetBstrValue(value, DocumentItemType(reply));
    case 2:
    case 7:
        return SetBstrValue(value, CleanNotesName(Field(reply, L"From"), L" /"));
    case 3:
        return SetBstrValue(value, KindOf(FormName(reply)));
    case 5:
        return SetBstrValue(value, FolderOf(reply));
    case 11: {
        const std::wstring subject = SubjectOrDefault(reply);
        return SetBstrValue(value, RunsOnWindowsXp() ? subject : L"/Mail/All Documents/'" + subject + L"'");
    }
    case 12:
        return SetBstrValue(value, noteId);
    case 13:
        return SetOptionalField(reply, L"Location", value);
    case 17:
        return SetListValue(reply, L"SendTo", value);
    case 18:
        return SetListValue(reply, L"InetSendTo", value);
    case 19:
        return SetListValue(reply, L"CopyTo", value);
    case 20:
        return SetListValue(reply, L"InetCopyTo", value);
    default:
        return E_UNEXPECTED;
    }
}

HRESULT ComputeProperty(ULONG index, std::wstring_view reply, const std::wstring& noteId, PROPVARIANT* value)
{
    std::wstring element;
    switch (index) {
    case 4:
        element = L"0";
        GetElementText(reply, L"notesize", &element, 1);
        SetUi4Value(value, LeadingUnsigned(element));
        return S_OK;
    case 6:
        SetFirstDate(reply, {L"DeliveredDate", L"PostedDate", L"$ModifiedTime"}, value);
        return S_OK;
    case 8:
        SetBoolValue(value, GetElementText(reply, L"originalfilename", &element, 1));
        return S_OK;
    case 9:
        SetBoolValue(value, false);
        return S_OK;
    case 10:
        return S_OK;
    case 14:
        SetFirstDate(reply, {L"StartDateTime", L"EndDateTime"}, value);
        return S_OK;
    case 15:
        SetFirstDate(reply, {L"EndDateTime"}, value);
        return S_OK;
    case 16:
        SetFirstDate(reply, {L"DeliveredDate"}, value);
        return S_OK;
    case 22:
        SetFirstDate(reply, {L"PostedDate"}, value);
        return S_OK;
    default:
        return ComputeTextProperty(index, reply, noteId, value);
    }
}

} // namespace

std::wstring CleanNotesName(const std::wstring& name, const wchar_t* orgUnitSeparator)
{
    if (name.compare(0, 3, L"CN=") != 0) {
        return name;
    }
    std::wstring clean(name);
    ReplaceAll(&clean, L"CN=", L"");
    ReplaceAll(&clean, L"/OU=", orgUnitSeparator);
    ReplaceAll(&clean, L"O=", L"");
    return clean;
}

std::wstring DocumentTitle(std::wstring_view reply)
{
    const std::wstring form = FormName(reply);
    if (IsOneOf(form, {L"Person", L"DPABPerson", L"Location", L"Certifier"})) {
        return DirectoryTitle(reply, form);
    }
    std::wstring subject = Field(reply, L"Subject");
    if (!subject.empty()) {
        return subject;
    }
    return form.empty() ? std::wstring(L"no subject") : form;
}

std::wstring DocumentItemType(std::wstring_view reply)
{
    return ClassOf(FormName(reply)).itemType;
}

std::vector<std::wstring> DocumentItemTypes()
{
    std::vector<std::wstring> types;
    for (const FormClass& entry : kFormClasses) {
        types.push_back(entry.itemType);
    }
    types.push_back(kOtherForm.itemType);
    return types;
}

HRESULT ComputeNoteProperty(ULONG index, std::wstring_view reply, const std::wstring& noteId,
                            PROPVARIANT* value) noexcept
{
    if (index >= kNotePropertyCount || !value) {
        return E_INVALIDARG;
    }
    try {
        return ComputeProperty(index, reply, noteId, value);
    } catch (const std::bad_alloc&) {
        PropVariantClear(value);
        return E_OUTOFMEMORY;
    }
}

} // namespace brw
