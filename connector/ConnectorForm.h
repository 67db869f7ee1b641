#pragma once
// What the New Search Connector dialog's OK button decides from the texts
// the user typed: either a connector to write, or the reason the dialog
// stays open. The name becomes a file name in the Searches and Links
// folders, so it must be one file name there and nothing else.
#include "connector/SearchConnectorKinds.h"

#include <windows.h>

#include <optional>
#include <string>

namespace brw::connectors {

// Longest server or query text taken, as a URL may be no longer on Windows
// (INTERNET_MAX_URL_LENGTH).
inline constexpr size_t kMaxConnectorUrlText = 2048;

enum class ConnectorSource { ConnectionsKind, CustomQuery };

struct ConnectorForm {
    ConnectorSource source = ConnectorSource::ConnectionsKind;
    std::optional<LPARAM> chosenKind; // the drop-down's item data, when one is chosen
    std::wstring name;
    std::wstring server;
    std::wstring query;
};

enum class FormProblem {
    None,
    NeedName,       // empty, or not usable as a file name
    NeedServer,     // empty or too long
    NeedQuery,      // empty or too long (custom query only)
    NoKindChosen,   // "Selected:" with nothing chosen in the drop-down
    UnknownKind,    // item data no kind has
    EndsCdataBlock, // a text carries "]]>", which would end its CDATA section early
};

struct FormOutcome {
    FormProblem problem = FormProblem::None;
    ConnectorDescription connector; // only when problem is None; the name trimmed
};

FormOutcome CheckConnectorForm(const ConnectorForm& form);

// The message the dialog shows for a problem (null for None).
const wchar_t* FormProblemMessage(FormProblem problem) noexcept;

// White space removed from both ends.
std::wstring TrimmedName(const std::wstring& name);

// True when name is one file name in a folder: not empty, not "." or "..",
// no path separator or other character Windows refuses in a name (\ / : * ?
// " < > |), no control character, not a device name (CON, NUL, COM1...,
// which would open the device instead of a file), and no trailing dot or
// blank (which Windows drops, so the file would get another name).
bool IsValidFileName(const std::wstring& name);

} // namespace brw::connectors
