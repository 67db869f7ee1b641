#include "platform/winsearch/query/QueryOptions.h"

#include <windows.h>

#include <cwchar>

namespace brw::winsearch {

namespace {
constexpr size_t kMaxArgumentLength = 256;
constexpr unsigned long kMaxResults = 100000;
constexpr std::uint64_t kDay = 864000000000ULL;
} // namespace

bool ParseDate(const std::wstring& text, bool endOfDay, std::uint64_t* count)
{
    if (text.size() != 10 || text[4] != L'-' || text[7] != L'-') {
        return false;
    }
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (text[i] < L'0' || text[i] > L'9') {
            return false;
        }
    }
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(std::wcstoul(text.substr(0, 4).c_str(), nullptr, 10));
    time.wMonth = static_cast<WORD>(std::wcstoul(text.substr(5, 2).c_str(), nullptr, 10));
    time.wDay = static_cast<WORD>(std::wcstoul(text.substr(8, 2).c_str(), nullptr, 10));
    FILETIME file{};
    if (!SystemTimeToFileTime(&time, &file)) {
        return false; // no such day
    }
    SYSTEMTIME check{};
    if (!FileTimeToSystemTime(&file, &check) || check.wDay != time.wDay || check.wMonth != time.wMonth) {
        return false;
    }
    *count = (static_cast<std::uint64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
    if (endOfDay) {
        *count += kDay - 1;
    }
    return true;
}

bool ParseQueryOptions(int argc, wchar_t** argv, QueryOptions* options, std::wstring* error)
{
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg.size() > kMaxArgumentLength) {
            *error = L"argument too long";
            return false;
        }
        if (arg == L"--json") {
            options->json = true;
            continue;
        }
        if (arg.rfind(L"--", 0) != 0) {
            options->request.words.push_back(arg);
            continue;
        }
        if (i + 1 >= argc || std::wcslen(argv[i + 1]) > kMaxArgumentLength) {
            *error = L"missing or too long value for " + arg;
            return false;
        }
        const std::wstring value = argv[++i];
        if (arg == L"--kind") {
            options->request.kind = value;
        } else if (arg == L"--author") {
            options->request.author = value;
        } else if (arg == L"--type") {
            options->request.itemType = value;
        } else if (arg == L"--from" || arg == L"--to") {
            std::uint64_t* target = arg == L"--from" ? &options->request.fromDate : &options->request.toDate;
            if (!ParseDate(value, arg == L"--to", target)) {
                *error = L"bad date " + value;
                return false;
            }
        } else if (arg == L"--max") {
            wchar_t* end = nullptr;
            const unsigned long count = std::wcstoul(value.c_str(), &end, 10);
            if (!end || *end || count == 0 || count > kMaxResults) {
                *error = L"bad count " + value;
                return false;
            }
            options->request.maxResults = count;
        } else {
            *error = L"unknown option " + arg;
            return false;
        }
    }
    return true;
}

} // namespace brw::winsearch
