#include "common/BrwUrlText.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace brw {
namespace {

constexpr wchar_t kSeparator = L'\\';
constexpr wchar_t kUncPrefix[] = L"\\\\";

// "C:" or "\\server" (kept whole), else empty for a relative path.
std::wstring RootOf(const std::wstring& path)
{
    if (path.size() >= 2 && path[1] == L':') {
        return path.substr(0, 2);
    }
    if (path.compare(0, 2, kUncPrefix) == 0) {
        const size_t end = path.find(kSeparator, 2);
        return path.substr(0, end);
    }
    return {};
}

std::vector<std::wstring> ResolvedSegments(const std::wstring& rest)
{
    std::vector<std::wstring> segments;
    size_t from = 0;
    while (from <= rest.size()) {
        size_t end = rest.find(kSeparator, from);
        if (end == std::wstring::npos) {
            end = rest.size();
        }
        const std::wstring segment = rest.substr(from, end - from);
        if (segment == L"..") {
            if (!segments.empty()) {
                segments.pop_back(); // never above the root
            }
        } else if (!segment.empty() && segment != L".") {
            segments.push_back(segment);
        }
        from = end + 1;
    }
    return segments;
}

// Root and resolved segments joined with "\"; an absolute path keeps its
// "\" after the drive.
std::wstring Resolved(const std::wstring& path)
{
    std::wstring slashed(path);
    std::replace(slashed.begin(), slashed.end(), L'/', kSeparator);
    const std::wstring root = RootOf(slashed);
    std::wstring joined = root;
    if (!root.empty()) {
        joined += kSeparator;
    }
    const std::vector<std::wstring> segments = ResolvedSegments(slashed.substr(root.size()));
    for (size_t i = 0; i < segments.size(); ++i) {
        joined += segments[i];
        if (i + 1 < segments.size()) {
            joined += kSeparator;
        }
    }
    if (!segments.empty() && slashed.back() == kSeparator) {
        joined += kSeparator;
    }
    return joined;
}

bool IsAbsolute(const std::wstring& path)
{
    return !RootOf(path).empty();
}

// The part of path under folder, or empty when it does not lie under it.
// Folders compare without regard to case, as the file system does.
std::wstring UnderFolder(const std::wstring& path, std::wstring folder)
{
    if (folder.empty()) {
        return {};
    }
    if (folder.back() != kSeparator) {
        folder += kSeparator;
    }
    if (path.size() <= folder.size() ||
        CompareStringOrdinal(path.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                             static_cast<int>(folder.size()), TRUE) != CSTR_EQUAL) {
        return {};
    }
    return path.substr(folder.size());
}

} // namespace

std::wstring NormalizeDatabasePath(const std::wstring& path, const std::wstring& dataDirectory)
{
    if (path.empty()) {
        return {};
    }
    const std::wstring folder = dataDirectory.empty() ? std::wstring() : Resolved(dataDirectory);
    if (!IsAbsolute(path)) {
        // Resolved against the data directory, so a ".." that leaves it
        // ends in the same absolute text as the full path Notes reports.
        if (folder.empty() || !IsAbsolute(folder)) {
            return Resolved(path);
        }
        return NormalizeDatabasePath(folder + kSeparator + path, folder);
    }
    const std::wstring full = Resolved(path);
    const std::wstring relative = UnderFolder(full, folder);
    return relative.empty() ? full : relative;
}

std::wstring BrwUrlDatabasePart(const std::wstring& path, const std::wstring& dataDirectory)
{
    std::wstring part = NormalizeDatabasePath(path, dataDirectory);
    std::replace(part.begin(), part.end(), kSeparator, L'/');
    if (!part.empty()) {
        // The file system's case rules, the same in both architectures.
        CharLowerBuffW(&part[0], static_cast<DWORD>(part.size()));
    }
    return part;
}

} // namespace brw
