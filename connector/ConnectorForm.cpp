#include "connector/ConnectorForm.h"

#include <cwchar>

namespace brw::connectors {
namespace {

constexpr wchar_t kRefusedNameCharacters[] = L"\\/:*?\"<>|";
constexpr wchar_t kCdataEnd[] = L"]]>";
constexpr wchar_t kWhiteSpace[] = L" \t\r\n\v\f";

// Names Windows maps to devices in every folder, with any extension.
constexpr const wchar_t* kDeviceNames[] = {L"CON",  L"PRN",  L"AUX",  L"NUL",  L"COM1", L"COM2", L"COM3", L"COM4",
                                           L"COM5", L"COM6", L"COM7", L"COM8", L"COM9", L"LPT1", L"LPT2", L"LPT3",
                                           L"LPT4", L"LPT5", L"LPT6", L"LPT7", L"LPT8", L"LPT9"};

bool IsDeviceName(const std::wstring& name)
{
    const std::wstring stem = name.substr(0, name.find(L'.'));
    const std::wstring trimmedStem = stem.substr(0, stem.find_last_not_of(L' ') + 1);
    for (const wchar_t* device : kDeviceNames) {
        if (CompareStringOrdinal(trimmedStem.c_str(), -1, device, -1, TRUE) == CSTR_EQUAL) {
            return true;
        }
    }
    return false;
}

bool HasRefusedCharacter(const std::wstring& name)
{
    for (wchar_t c : name) {
        if (c < 0x20 || c == 0x7F || wcschr(kRefusedNameCharacters, c) != nullptr) {
            return true;
        }
    }
    return false;
}

bool IsUsableUrlText(const std::wstring& text)
{
    return !text.empty() && text.size() <= kMaxConnectorUrlText;
}

bool EndsCdata(const ConnectorForm& form)
{
    for (const std::wstring* text : {&form.name, &form.server, &form.query}) {
        if (text->find(kCdataEnd) != std::wstring::npos) {
            return true;
        }
    }
    return false;
}

// The kind-specific part of the checks, once name and server are good.
FormOutcome ChooseConnector(const ConnectorForm& form, std::wstring name)
{
    if (form.source == ConnectorSource::CustomQuery) {
        if (!IsUsableUrlText(form.query)) {
            return {FormProblem::NeedQuery, {}};
        }
        return {FormProblem::None, CustomConnector(std::move(name), form.server, form.query)};
    }
    if (!form.chosenKind) {
        return {FormProblem::NoKindChosen, {}};
    }
    const ConnectionsKind* kind = FindConnectionsKind(*form.chosenKind);
    if (kind == nullptr) {
        return {FormProblem::UnknownKind, {}};
    }
    return {FormProblem::None, ConnectionsConnector(*kind, std::move(name), form.server)};
}

} // namespace

std::wstring TrimmedName(const std::wstring& name)
{
    const size_t first = name.find_first_not_of(kWhiteSpace);
    if (first == std::wstring::npos) {
        return {};
    }
    return name.substr(first, name.find_last_not_of(kWhiteSpace) - first + 1);
}

bool IsValidFileName(const std::wstring& name)
{
    if (name.empty() || name.size() >= MAX_PATH || name == L"." || name == L".." || HasRefusedCharacter(name)) {
        return false;
    }
    if (name.back() == L'.' || name.back() == L' ') {
        return false;
    }
    return !IsDeviceName(name);
}

FormOutcome CheckConnectorForm(const ConnectorForm& form)
{
    std::wstring name = TrimmedName(form.name);
    if (!IsValidFileName(name)) {
        return {FormProblem::NeedName, {}};
    }
    if (!IsUsableUrlText(form.server)) {
        return {FormProblem::NeedServer, {}};
    }
    if (EndsCdata(form)) {
        return {FormProblem::EndsCdataBlock, {}};
    }
    return ChooseConnector(form, std::move(name));
}

const wchar_t* FormProblemMessage(FormProblem problem) noexcept
{
    switch (problem) {
    case FormProblem::None:
        return nullptr;
    case FormProblem::NeedName:
        return L"Provide a name for this connector";
    case FormProblem::NeedServer:
        return L"Provide a web server for this connector.\n(for example https://connections.example.com)";
    case FormProblem::NeedQuery:
        return L"Provide an OpenSearch compatible query string for this connector.\n"
               L"(for example /search?q={searchTerms}&start={startIndex})";
    case FormProblem::NoKindChosen:
        return L"Choose a connector type, or choose Query: and type a query.";
    case FormProblem::UnknownKind:
        return L"Unknown connector type";
    case FormProblem::EndsCdataBlock:
        return L"The name, server and query may not contain the characters \"]]>\".";
    }
    return nullptr;
}

} // namespace brw::connectors
