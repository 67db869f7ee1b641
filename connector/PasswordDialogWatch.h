#pragma once
// The watch for the Notes password dialog on the main thread. Around the
// calls that may make Notes ask for the ID password, every new dialog is
// subclassed; the one with the identity text (item 100) and the password
// box (item 101) gets the "Remember my password" check box, is filled in
// and submitted once per run from the cache, and tells whether the user
// cancelled it.
#include <windows.h>

namespace brw {

inline constexpr int kIdentityItem = 100;
inline constexpr int kPasswordItem = 101;
inline constexpr int kRememberCheckBox = 112;
inline constexpr wchar_t kRememberCheckBoxText[] = L"Remember my password";

enum class LoginOutcome { LoggedIn, Cancelled };

// Installs the hook on the calling thread for the life of the process;
// false when it cannot be installed.
bool InstallPasswordDialogWatch();

// Forgets what an earlier prompt left: the typed password, the choice to
// remember it, a cancel.
void ClearPasswordPromptState();

// Runs call with the watch on and says whether a prompt was cancelled.
template <typename Call>
LoginOutcome WithPasswordWatch(Call call);

// The Notes login: opens the user's databases through the data service so
// that Notes asks for the password now, while the watch is on.
LoginOutcome PerformNotesLogin();

// After a prompt that was not cancelled: keeps the typed password when the
// user asked for it; the typed password is wiped in any case.
void StorePasswordIfAsked();

// Implementation of the watch's switch, for WithPasswordWatch.
void SetPasswordWatch(bool on);
bool WasPasswordPromptCancelled();

template <typename Call>
LoginOutcome WithPasswordWatch(Call call)
{
    SetPasswordWatch(true);
    call();
    SetPasswordWatch(false);
    return WasPasswordPromptCancelled() ? LoginOutcome::Cancelled : LoginOutcome::LoggedIn;
}

} // namespace brw
