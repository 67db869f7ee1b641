#pragma once
// What the connector asks Notes about a database: whether it opens, its
// title and last modification as text, and whether it is a mail or mail
// archive database. An interface, so the list window and the mail scan can
// be driven and counted without a Notes client.
#include <string>

namespace brw {

// The list window's buffers: the title is cut at 127 characters and the
// modification time at 99, as the data service fills them.
inline constexpr int kTitleBufferLength = 128;
inline constexpr int kModifiedBufferLength = 100;

struct DatabaseInfo {
    std::wstring title;
    std::wstring modified;
    bool isMail = false;
};

enum class InfoDetail { MailCheckOnly, TitleAndModified };

class DatabaseInfoSource {
public:
    virtual ~DatabaseInfoSource() = default;
    // False when the database does not open; info is then left alone.
    virtual bool Query(const std::wstring& path, InfoDetail detail, DatabaseInfo* info) = 0;
};

// The data service's GetDatabaseInfo export, in this process.
class DataServiceInfoSource final : public DatabaseInfoSource {
public:
    bool Query(const std::wstring& path, InfoDetail detail, DatabaseInfo* info) override;
};

} // namespace brw
