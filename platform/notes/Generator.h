// Realistic databases from a seed: a mail file (memos, replies, sent and
// draft mail, appointments, tasks, contacts), a mail archive and a discussion
// application. The same seed gives the same database.
#pragma once
#include "platform/notes/NsfFile.h"

namespace generator {

enum class Kind { Mail, Archive, Application };

struct Options {
    Kind kind = Kind::Mail;
    unsigned count = 100;
    unsigned seed = 1;
    std::string owner = "CN=Jane Doe/OU=Sales/O=Acme"; // LMBCS
    std::string title;
};

nsf::DbData Generate(const Options& options);
// The design notes and profile a database of this kind carries.
void AddDesign(nsf::DbData& data, Kind kind, const std::string& owner);

} // namespace generator
