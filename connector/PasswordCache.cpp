#include "connector/PasswordCache.h"

#include "common/DebugConsole.h"
#include "common/FailureTrail.h"
#include "connector/SettingsStore.h"

#include <wincrypt.h>

#include <cstring>

namespace brw {
namespace {

constexpr wchar_t kComponent[] = L"BRWConnector";
constexpr wchar_t kPrefixSalt[] = L"qmvz472rtpla";
constexpr wchar_t kSuffixSalt[] = L"wb5n81yfhcue";
// Far more than either stored form of a 64-character password.
constexpr DWORD kStoredLimitBytes = 4096;
constexpr size_t kAesBlockBytes = 16;

struct ProviderTraits {
    using pointer = HCRYPTPROV;
    static pointer Invalid() noexcept { return 0; }
    static bool IsValid(pointer p) noexcept { return p != 0; }
    static void Close(pointer p) noexcept { CryptReleaseContext(p, 0); }
};
struct HashTraits {
    using pointer = HCRYPTHASH;
    static pointer Invalid() noexcept { return 0; }
    static bool IsValid(pointer h) noexcept { return h != 0; }
    static void Close(pointer h) noexcept { CryptDestroyHash(h); }
};
struct KeyTraits {
    using pointer = HCRYPTKEY;
    static pointer Invalid() noexcept { return 0; }
    static bool IsValid(pointer k) noexcept { return k != 0; }
    static void Close(pointer k) noexcept { CryptDestroyKey(k); }
};
using CryptProvider = UniqueResource<ProviderTraits>;
using CryptHash = UniqueResource<HashTraits>;
using CryptKey = UniqueResource<KeyTraits>;

// Wipes a byte buffer before its memory is given back.
class WipedBytes {
public:
    explicit WipedBytes(std::vector<BYTE>& bytes) : bytes_(bytes) {}
    ~WipedBytes()
    {
        if (!bytes_.empty()) {
            SecureZeroMemory(bytes_.data(), bytes_.size());
        }
    }
    WipedBytes(const WipedBytes&) = delete;
    WipedBytes& operator=(const WipedBytes&) = delete;

private:
    std::vector<BYTE>& bytes_;
};

// The password's characters and one NUL, as both forms store them.
std::vector<BYTE> PlainBytes(const PasswordText& password)
{
    const BYTE* first = reinterpret_cast<const BYTE*>(password.Text());
    return std::vector<BYTE>(first, first + (password.Length() + 1) * sizeof(wchar_t));
}

DATA_BLOB Blob(std::vector<BYTE>& bytes)
{
    return DATA_BLOB{static_cast<DWORD>(bytes.size()), bytes.data()};
}

std::vector<BYTE> PassPhraseBytes(const std::wstring& identity)
{
    const std::wstring phrase = CachePassPhrase(identity);
    const BYTE* first = reinterpret_cast<const BYTE*>(phrase.data());
    return std::vector<BYTE>(first, first + phrase.size() * sizeof(wchar_t));
}

// The AES form needs no key container at all: the key comes from the pass
// phrase, so a verify-only context serves and none is created.
CryptKey DeriveAesKey(HCRYPTPROV provider, const std::wstring& identity)
{
    std::vector<BYTE> phrase = PassPhraseBytes(identity);
    const WipedBytes wipe(phrase);
    CryptHash hash;
    CryptKey key;
    if (CryptCreateHash(provider, CALG_SHA1, 0, 0, hash.put()) &&
        CryptHashData(hash.get(), phrase.data(), static_cast<DWORD>(phrase.size()), 0)) {
        CryptDeriveKey(provider, CALG_AES_256, hash.get(), CRYPT_EXPORTABLE, key.put());
    }
    return key;
}

CryptProvider VerifyOnlyAesProvider()
{
    CryptProvider provider;
    CryptAcquireContextW(provider.put(), nullptr, MS_ENH_RSA_AES_PROV_W, PROV_RSA_AES, CRYPT_VERIFYCONTEXT);
    return provider;
}

bool UnprotectPassword(const std::wstring& identity, std::vector<BYTE>& stored, std::vector<BYTE>& plain)
{
    std::vector<BYTE> phrase = PassPhraseBytes(identity);
    const WipedBytes wipe(phrase);
    DATA_BLOB in = Blob(stored);
    DATA_BLOB entropy = Blob(phrase);
    DATA_BLOB out{};
    if (!CryptUnprotectData(&in, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) {
        return false;
    }
    plain.assign(out.pbData, out.pbData + out.cbData);
    SecureZeroMemory(out.pbData, out.cbData);
    LocalFree(out.pbData);
    return true;
}

bool DecryptAes(const std::wstring& identity, std::vector<BYTE>& stored, std::vector<BYTE>& plain)
{
    // Only whole blocks are AES ciphertext; anything else (a data protection
    // blob of another identity, say) is refused here, before a provider
    // that does not check the length works past the end of the buffer.
    if (stored.empty() || stored.size() % kAesBlockBytes != 0) {
        return false;
    }
    const CryptProvider provider = VerifyOnlyAesProvider();
    const CryptKey key = provider ? DeriveAesKey(provider.get(), identity) : CryptKey();
    plain = stored;
    DWORD length = static_cast<DWORD>(plain.size());
    if (!key || !CryptDecrypt(key.get(), 0, TRUE, 0, plain.data(), &length)) {
        return false;
    }
    plain.resize(length);
    return true;
}

// Takes the text up to its first NUL, at most the limit; false when empty.
bool TakePassword(const std::vector<BYTE>& plain, PasswordText& password)
{
    const size_t characters = plain.size() / sizeof(wchar_t);
    const wchar_t* text = reinterpret_cast<const wchar_t*>(plain.data());
    password.Assign(text, wcsnlen(text, characters));
    return password.Length() > 0;
}

std::optional<std::vector<BYTE>> ReadStored()
{
    const RegKey main = settings::OpenForReading(HKEY_CURRENT_USER, kSettingsKeyPath);
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (!main ||
        RegQueryValueExW(main.get(), settings::kCachedPassword, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_BINARY || size == 0 || size > kStoredLimitBytes) {
        return std::nullopt;
    }
    std::vector<BYTE> bytes(size);
    if (RegQueryValueExW(main.get(), settings::kCachedPassword, nullptr, &type, bytes.data(), &size) != ERROR_SUCCESS ||
        type != REG_BINARY) {
        return std::nullopt;
    }
    bytes.resize(size);
    return bytes;
}

} // namespace

void PasswordText::Assign(const wchar_t* text, size_t length)
{
    Wipe();
    const size_t kept = length < kPasswordLimit ? length : kPasswordLimit;
    std::memcpy(text_, text, kept * sizeof(wchar_t));
}

std::wstring CachePassPhrase(const std::wstring& identity)
{
    return kPrefixSalt + identity + kSuffixSalt;
}

std::vector<BYTE> ProtectPassword(const std::wstring& identity, const PasswordText& password)
{
    std::vector<BYTE> plain = PlainBytes(password);
    const WipedBytes wipePlain(plain);
    std::vector<BYTE> phrase = PassPhraseBytes(identity);
    const WipedBytes wipePhrase(phrase);
    DATA_BLOB in = Blob(plain);
    DATA_BLOB entropy = Blob(phrase);
    DATA_BLOB out{};
    if (!CryptProtectData(&in, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) {
        TraceWin32Failure(kComponent, L"CryptProtectData", GetLastError());
        return {};
    }
    std::vector<BYTE> stored(out.pbData, out.pbData + out.cbData);
    LocalFree(out.pbData);
    return stored;
}

bool OpenStoredPassword(const std::wstring& identity, std::vector<BYTE> stored, PasswordText& password)
{
    std::vector<BYTE> plain;
    const WipedBytes wipe(plain);
    const bool opened = UnprotectPassword(identity, stored, plain) || DecryptAes(identity, stored, plain);
    return opened && TakePassword(plain, password);
}

bool IsRememberCheckBoxAllowed()
{
    return !settings::IsFlagSet(HKEY_LOCAL_MACHINE, kSettingsKeyPath, settings::kHidePasswordCheckBox);
}

bool IsRememberWanted()
{
    return IsRememberCheckBoxAllowed() &&
           settings::IsFlagSet(HKEY_CURRENT_USER, kSettingsKeyPath, settings::kRememberPassword);
}

bool LoadCachedPassword(const std::wstring& identity, PasswordText& password)
{
    std::optional<std::vector<BYTE>> stored = ReadStored();
    return stored && OpenStoredPassword(identity, std::move(*stored), password);
}

void StorePassword(const std::wstring& identity, const PasswordText& password)
{
    const RegKey main = settings::CreateMainKey();
    if (!main) {
        return;
    }
    if (IsRememberCheckBoxAllowed()) {
        settings::WriteDword(main.get(), settings::kRememberPassword, 1);
    }
    const std::vector<BYTE> stored = ProtectPassword(identity, password);
    if (!stored.empty()) {
        RegSetValueExW(main.get(), settings::kCachedPassword, 0, REG_BINARY, stored.data(),
                       static_cast<DWORD>(stored.size()));
    }
}

void ClearCachedPassword()
{
    const RegKey main = settings::OpenMainKeyForWriting();
    if (!main) {
        return;
    }
    settings::DeleteValue(main.get(), settings::kCachedPassword);
    if (IsRememberCheckBoxAllowed()) {
        settings::WriteDword(main.get(), settings::kRememberPassword, 0);
    }
}

} // namespace brw
