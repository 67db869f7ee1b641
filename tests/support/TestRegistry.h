#pragma once
// Reads and writes the test prefix's registry in either view, so a test can
// check what a 32-bit or a 64-bit program wrote, whichever it is itself.
#include <windows.h>

#include <optional>
#include <string>

namespace brwtest {

enum class RegistryView { Native, View32, View64 };

REGSAM ViewFlag(RegistryView view);

// Writes (creating the key) a REG_SZ / REG_DWORD value; true on success.
bool SetString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value,
               RegistryView view = RegistryView::Native);
bool SetDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value,
              RegistryView view = RegistryView::Native);

// Reads a value of the given type; nothing when absent or of another type.
std::optional<std::wstring> GetString(HKEY root, const std::wstring& path, const std::wstring& name,
                                      RegistryView view = RegistryView::Native);
std::optional<DWORD> GetDword(HKEY root, const std::wstring& path, const std::wstring& name,
                              RegistryView view = RegistryView::Native);

bool KeyExists(HKEY root, const std::wstring& path, RegistryView view = RegistryView::Native);

// Removes a key with everything below it; true also when it was absent.
bool DeleteTree(HKEY root, const std::wstring& path, RegistryView view = RegistryView::Native);

// A key that is empty when the test starts and gone when it ends.
class ScratchKey {
public:
    ScratchKey(HKEY root, std::wstring path, RegistryView view = RegistryView::Native);
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    const std::wstring& Path() const { return path_; }

private:
    HKEY root_;
    std::wstring path_;
    RegistryView view_;
};

} // namespace brwtest
