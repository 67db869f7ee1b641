// The remembered password: the stored form opens only for the identity it
// was stored for, the older AES form is still read (checked against a
// vector computed apart from CryptoAPI), and clearing follows the policy.
#include "connector/PasswordCache.h"

#include "common/DebugConsole.h"
#include "connector/SettingsStore.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using brwtest::GetDword;

constexpr wchar_t kIdentity[] = L"User CN=Jane Doe/O=Acme";
constexpr wchar_t kOtherIdentity[] = L"User CN=John Roe/O=Acme";
const std::wstring kMain = brw::kSettingsKeyPath;

// AES-256-CBC, zero IV, PKCS#7 padding, of "s3cret-Pa55" and a NUL in
// UTF-16LE, under the key CryptDeriveKey documents for a SHA-1 hash of the
// pass phrase of kIdentity (the hash XOR 0x36 and XOR 0x5C, each padded to
// 64 bytes and hashed again; the first 32 bytes of the two digests). Made
// with Python's hashlib and the cryptography package.
const std::vector<BYTE> kAesVector = {
    0x5A, 0xB5, 0xA5, 0x88, 0xD9, 0xEE, 0xC1, 0x43, 0xAA, 0xDA, 0x02, 0xE9, 0x68, 0xAA, 0x5F, 0xBC,
    0xA4, 0x9A, 0xEF, 0xC8, 0x3B, 0xFB, 0xEE, 0x97, 0x2E, 0xE7, 0x60, 0x22, 0xDA, 0xF9, 0xA5, 0xB1,
};
constexpr wchar_t kAesVectorPassword[] = L"s3cret-Pa55";

std::wstring Text(const brw::PasswordText& password)
{
    return std::wstring(password.Text(), password.Length());
}

void Assign(brw::PasswordText& password, const std::wstring& text)
{
    password.Assign(text.c_str(), text.size());
}

std::optional<std::vector<BYTE>> StoredBytes()
{
    brw::RegKey key = brw::settings::OpenForReading(HKEY_CURRENT_USER, kMain.c_str());
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (!key ||
        RegQueryValueExW(key.get(), brw::settings::kCachedPassword, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::vector<BYTE> bytes(size);
    RegQueryValueExW(key.get(), brw::settings::kCachedPassword, nullptr, &type, bytes.data(), &size);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    return bytes;
}

class PasswordCache : public testing::Test {
protected:
    brwtest::ScratchKey settings_{HKEY_CURRENT_USER, kMain};
    brwtest::ScratchKey policy_{HKEY_LOCAL_MACHINE, kMain};
};

// Windows keeps the data protection key with the user's logon credentials,
// so a copied value opens for no other user; Wine keeps one per prefix. The
// cases rely only on what both do: the extra entropy (the pass phrase of the
// identity) must match for the value to open.
TEST_F(PasswordCache, AStoredPasswordOpensForItsIdentityOnly)
{
    for (const std::wstring& typed : {std::wstring(L"s3cret"), std::wstring(64, L'\x00E9'), std::wstring(L"a")}) {
        brw::PasswordText password;
        Assign(password, typed);
        brw::StorePassword(kIdentity, password);
        brw::PasswordText loaded;
        ASSERT_TRUE(brw::LoadCachedPassword(kIdentity, loaded)) << typed.size();
        EXPECT_EQ(typed, Text(loaded));
        brw::PasswordText other;
        EXPECT_FALSE(brw::LoadCachedPassword(kOtherIdentity, other));
        EXPECT_EQ(L"", Text(other));
        EXPECT_TRUE(StoredBytes().has_value()) << "a cache that does not open is kept";
    }
    EXPECT_EQ(1u, GetDword(HKEY_CURRENT_USER, kMain, brw::settings::kRememberPassword));
}

TEST_F(PasswordCache, TheStoredFormDoesNotHoldThePasswordAsText)
{
    brw::PasswordText password;
    Assign(password, L"VisiblePassword");
    brw::StorePassword(kIdentity, password);
    const std::optional<std::vector<BYTE>> stored = StoredBytes();
    ASSERT_TRUE(stored.has_value());
    const BYTE* text = reinterpret_cast<const BYTE*>(L"VisiblePassword");
    EXPECT_EQ(stored->end(), std::search(stored->begin(), stored->end(), text, text + 15 * sizeof(wchar_t)));
}

TEST_F(PasswordCache, ThePasswordOfTheOlderAesFormIsRead)
{
    brw::PasswordText password;
    ASSERT_TRUE(brw::OpenStoredPassword(kIdentity, kAesVector, password));
    EXPECT_EQ(kAesVectorPassword, Text(password));
    brw::PasswordText other;
    EXPECT_FALSE(brw::OpenStoredPassword(kOtherIdentity, kAesVector, other));
    std::vector<BYTE> damaged = kAesVector;
    damaged.back() ^= 0x01;
    EXPECT_FALSE(brw::OpenStoredPassword(kIdentity, damaged, other)) << "the padding no longer checks";
    EXPECT_FALSE(brw::OpenStoredPassword(kIdentity, {}, other));
    EXPECT_FALSE(brw::OpenStoredPassword(kIdentity, std::vector<BYTE>(7, 0x42), other));
    // Not whole blocks: refused before anything decrypts (Wine's provider
    // would work past the end of the buffer).
    std::vector<BYTE> ragged = kAesVector;
    ragged.resize(kAesVector.size() + 5, 0x42);
    EXPECT_FALSE(brw::OpenStoredPassword(kIdentity, ragged, other));
    ragged.resize(kAesVector.size() - 3);
    EXPECT_FALSE(brw::OpenStoredPassword(kIdentity, ragged, other));
}

TEST_F(PasswordCache, AValueOfAnotherTypeOrSizeIsNoPassword)
{
    brw::PasswordText loaded;
    ASSERT_TRUE(brwtest::SetString(HKEY_CURRENT_USER, kMain, brw::settings::kCachedPassword, L"s3cret"));
    EXPECT_FALSE(brw::LoadCachedPassword(kIdentity, loaded));
    brw::RegKey main = brw::settings::CreateMainKey();
    const std::vector<BYTE> huge(64 * 1024, 0x42);
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(main.get(), brw::settings::kCachedPassword, 0, REG_BINARY, huge.data(),
                                            static_cast<DWORD>(huge.size())));
    EXPECT_FALSE(brw::LoadCachedPassword(kIdentity, loaded));
}

TEST_F(PasswordCache, ClearingFollowsThePolicy)
{
    brw::PasswordText password;
    Assign(password, L"s3cret");
    brw::StorePassword(kIdentity, password);
    brw::ClearCachedPassword();
    EXPECT_FALSE(StoredBytes().has_value());
    EXPECT_EQ(0u, GetDword(HKEY_CURRENT_USER, kMain, brw::settings::kRememberPassword));
    EXPECT_TRUE(brw::IsRememberCheckBoxAllowed());

    ASSERT_TRUE(brwtest::SetDword(HKEY_LOCAL_MACHINE, kMain, brw::settings::kHidePasswordCheckBox, 1));
    ASSERT_TRUE(brwtest::SetDword(HKEY_CURRENT_USER, kMain, brw::settings::kRememberPassword, 1));
    EXPECT_FALSE(brw::IsRememberCheckBoxAllowed());
    EXPECT_FALSE(brw::IsRememberWanted()) << "the policy wins over the user's choice";
    brw::StorePassword(kIdentity, password);
    brw::ClearCachedPassword();
    EXPECT_FALSE(StoredBytes().has_value());
    EXPECT_EQ(1u, GetDword(HKEY_CURRENT_USER, kMain, brw::settings::kRememberPassword))
        << "the user's choice is not written while the policy hides the box";
}

TEST(PasswordText, KeepsAtMostSixtyFourCharactersAndWipes)
{
    brw::PasswordText password;
    const std::wstring long_(80, L'p');
    password.Assign(long_.c_str(), long_.size());
    EXPECT_EQ(std::wstring(64, L'p'), Text(password));
    password.Wipe();
    EXPECT_EQ(L"", Text(password));
    for (int i = 0; i < brw::PasswordText::Capacity(); ++i) {
        EXPECT_EQ(L'\0', password.Text()[i]);
    }
}

} // namespace
