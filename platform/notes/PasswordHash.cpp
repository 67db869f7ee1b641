#include "platform/notes/PasswordPrompt.h"

#include <cstdio>

namespace password {

std::string PasswordHash(const std::string& userName, const std::string& password)
{
    // FNV-1a over name and password: enough for a stand-in ID file that only
    // has to tell a right password from a wrong one.
    unsigned long long h = 1469598103934665603ULL;
    auto mix = [&h](const std::string& s) {
        for (unsigned char c : s) {
            h ^= c;
            h *= 1099511628211ULL;
        }
        h ^= 0xFF;
        h *= 1099511628211ULL;
    };
    mix(userName);
    mix(password);
    char text[17];
    std::snprintf(text, sizeof(text), "%016llX", h);
    return text;
}

} // namespace password
