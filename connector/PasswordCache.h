#pragma once
// The remembered Notes password in the user's settings (Idx89). It is bound
// to the text the Notes password dialog shows about the ID (item 100), so
// it only opens for the same ID. New passwords are kept with the user's data
// protection key; the older form, AES-256 with a key derived from the same
// pass phrase, is still read so that a password remembered before keeps
// working (it is kept in the new form after its next use).
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace brw {

// Longest password the dialog takes, in characters.
inline constexpr size_t kPasswordLimit = 64;

// A password in a fixed buffer that is zeroed when it goes, so no copy of
// it outlives its use in a freed heap block.
class PasswordText {
public:
    PasswordText() = default;
    ~PasswordText() { Wipe(); }
    PasswordText(const PasswordText&) = delete;
    PasswordText& operator=(const PasswordText&) = delete;

    // Keeps at most kPasswordLimit characters of text.
    void Assign(const wchar_t* text, size_t length);
    void Wipe() { SecureZeroMemory(text_, sizeof(text_)); }
    const wchar_t* Text() const { return text_; }
    wchar_t* Buffer() { return text_; }
    static constexpr int Capacity() { return static_cast<int>(kPasswordLimit + 1); }
    size_t Length() const { return wcsnlen(text_, kPasswordLimit); }

private:
    wchar_t text_[kPasswordLimit + 1] = {};
};

// "qmvz472rtpla" + identity + "wb5n81yfhcue".
std::wstring CachePassPhrase(const std::wstring& identity);

// The stored form of password under the pass phrase of identity; empty
// when the platform refused.
std::vector<BYTE> ProtectPassword(const std::wstring& identity, const PasswordText& password);

// Opens stored (either form) into password; false when neither opens it.
bool OpenStoredPassword(const std::wstring& identity, std::vector<BYTE> stored, PasswordText& password);

// The policy and the user's choice.
bool IsRememberCheckBoxAllowed();
bool IsRememberWanted();

// The cache in the settings.
bool LoadCachedPassword(const std::wstring& identity, PasswordText& password);
void StorePassword(const std::wstring& identity, const PasswordText& password);
void ClearCachedPassword();

} // namespace brw
