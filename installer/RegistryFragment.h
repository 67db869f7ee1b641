// A deliverable's registry scripts as a WiX fragment, so that the Windows
// Installer package writes exactly what the deliverable writes when it
// registers itself, as data the installer can also take away again.
#pragma once
#include "common/Registrar.h"
#include "common/RegistryScript.h"

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace brw {

// Which registry view the installer writes a component's values into.
enum class ComponentView { Registry32, Registry64 };

struct RegistrationSource {
    // Names the component ("<name>Registration"); letters, digits, '_' and '.'.
    std::wstring name;
    // The Directory the component belongs to.
    std::wstring directoryId;
    ComponentView view = ComponentView::Registry64;
    // Token texts as the installer formats them: the module's path as
    // "[#fileId]", an application id as its GUID text. Applied after the
    // script's own text has been protected from the installer's formatting.
    Replacements tokens;
    // In the order the deliverable's registration applies them.
    std::vector<RegistryScript> scripts;
};

// Thrown for what the package cannot hold as a deliverable registers it: a
// value type the installer's compiler cannot write, a key outside the
// machine's roots, an empty key path. The build stops instead of shipping a
// registration that differs from the deliverable's own.
class FragmentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One Fragment with a ComponentGroup of the given id holding one component
// per source, UTF-8 text of a complete WiX document.
std::string RegistrationFragment(const std::wstring& groupId, const std::vector<RegistrationSource>& sources);

// Text as the installer's formatted type reads it back unchanged: brackets
// are escaped, so only the tokens put in afterwards are formatted. Braces
// stay: the installer treats them specially only around a bracketed
// property, and a GUID's braces must arrive as they are.
std::wstring LiteralFormatted(const std::wstring& text);

// A value as the package's source gives it to wixl: the RegistryValue Type
// and the Value text. wixl passes "expandable" and "binary" text on as it
// is, so that text carries the installer's "#%" and "#x" marks itself; it
// writes "integer" with the installer's "#" and doubles a leading "#" of a
// "string", so those carry none. Multi-strings are "string"s with the
// installer's "[~]" separators.
struct WixValue {
    const wchar_t* type;
    std::wstring text;
};
WixValue WixRegistryValue(const ScriptValue& value, const Replacements& tokens);

} // namespace brw
