// The brw URL scheme: one parser for every URL the system hands to Windows
// Search, and the builders of the canonical forms the filters announce.
#pragma once
#include <windows.h>

#include <string>

namespace brw {

enum class UrlKind : int {
    Root = 0,
    Database = 1,
    Unused = 2, // never produced by the parser
    Document = 3,
    MessageBody = 4,
    Attachment = 5,
};

struct ParsedBrwUrl {
    std::wstring identity;
    std::wstring databasePath;
    std::wstring noteId;
    int attachmentNumber = 0;
    std::wstring attachmentName;
    std::wstring extension;
    UrlKind kind = UrlKind::Root;
};

constexpr wchar_t kBrwScheme[] = L"brw://";

// Splits url into its parts. False for another scheme or a URL without the
// braces of an identity; a null url is rejected the same way.
bool ParseBrwUrl(const wchar_t* url, ParsedBrwUrl* parsed);

// Canonical forms, so the index holds each item once. The database path is
// written as BrwUrlDatabasePart makes it, the rule the crawl's notifier
// follows too.
std::wstring CanonicalDatabasePath(const std::wstring& path);
std::wstring MakeDatabaseUrl(const std::wstring& identity, const std::wstring& databasePath);
// noteId is taken as the URL or the reply carries it (8 hex digits).
std::wstring MakeDocumentUrl(const std::wstring& identity, const std::wstring& databasePath,
                             const std::wstring& noteId);
std::wstring MakeAttachmentUrl(const std::wstring& identity, const std::wstring& databasePath,
                               const std::wstring& noteId, int number, const std::wstring& name);

} // namespace brw
