#pragma once
// Opens every database a search hands it, one after the other, so that
// Notes asks for the user's ID password at the first open that needs it
// rather than in the middle of a later command. Remembers whether one of
// them opened and is a mail file (or a calendar owner's database).
#include "notesdata/notes/Processors.h"

namespace brw {

class DbIterator final : public NSFSearchProcessor {
public:
    bool FoundMailDatabase() const { return found_; }

    bool BeginEntry(WORD itemCount) override { return itemCount != 0; }
    bool OnSummaryItem(const char* name, WORD nameLength, const char* text, WORD textLength) override;
    void EndEntry() override {}
    WORD SearchFlags() const override;
    WORD ClassMask() const override;
    const char* SearchText() const override { return nullptr; }

private:
    bool found_ = false;
};

// Opens the user's databases so that Notes asks for the ID password now,
// while the connector watches for its prompt (and fills in a remembered
// password). The data directory is always searched: after a manual
// selection the chosen list comes first, but a list whose databases are
// gone or need no password would leave the prompt to the first open on
// the pipe server's thread, where nobody watches. Without a manual
// selection the chosen list joins once the disk scan has run. True when at
// least one database opened and passed the mail check.
bool ForceDatabaseOpens();

} // namespace brw
