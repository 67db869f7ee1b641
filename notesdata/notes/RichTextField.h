#pragma once
// A rich-text item of a note, walked record by record, or a new one being
// built through the compound-text builder; and the filter that copies the
// records of one into the other, leaving out the pictures.
#include "common/Handles.h"
#include "notesdata/commands/QXObject.h"
#include "notesdata/notes/NoteItems.h"
#include "notesdata/notes/Processors.h"

#include <notesapi.h>

namespace brw {

struct CompoundTextTraits {
    using pointer = DHANDLE;
    static pointer Invalid() noexcept { return 0; }
    static bool IsValid(pointer h) noexcept { return h != 0; }
    static void Close(pointer h) noexcept { CompoundTextDiscard(h); }
};
// A builder not yet closed into its item is discarded.
using CompoundTextHandle = UniqueResource<CompoundTextTraits>;

class RichTextField : public QXObject {
public:
    // An existing item of note.
    RichTextField(NOTEHANDLE note, const NoteItem& item) : note_(note), item_(item) {}
    // A field of note that is to be built.
    explicit RichTextField(NOTEHANDLE note) : note_(note), item_{} {}

    // Hands each record, header included, to the processor while it returns
    // 0. A record that runs past the item's value ends the walk. The
    // processor's or the walk's status.
    STATUS EnumerateRecords(CDRecordProcessor& processor) const;

    // Starts building an item of that name in the note.
    STATUS BeginBuilding(const char* itemName);
    // The document rendered as its form shows it.
    STATUS RenderNote(NOTEHANDLE document);
    STATUS AppendRecord(const char* record, DWORD length);
    // Closes the builder into its item.
    STATUS FinishBuilding();

private:
    NOTEHANDLE note_;
    NoteItem item_;
    CompoundTextHandle builder_;
};

// Passes records on to the target's builder, except images and bitmaps:
// the preview shows the text, and picture data is most of a document's size.
class RichTextFilter final : public CDRecordProcessor {
public:
    explicit RichTextFilter(RichTextField& target) : target_(target) {}

    WORD OnRecord(const char* record, WORD signature, DWORD length) override;

private:
    RichTextField& target_;
};

} // namespace brw
