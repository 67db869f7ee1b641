#include "notesdata/notes/RichTextField.h"

namespace brw {
namespace {

constexpr WORD kDroppedSignatures[] = {SIG_CD_IMAGESEGMENT, SIG_CD_IMAGEHEADER, SIG_CD_BITMAPHEADER,
                                       SIG_CD_BITMAPSEGMENT, SIG_CD_BITMAP};

// What a record walk needs besides the processor: where the value lies, so
// that no record handed on reaches past it.
struct RecordWalk {
    CDRecordProcessor* processor;
    const char* begin;
    const char* end;
};

STATUS LNCALLBACK OnEachRecord(char* record, WORD signature, DWORD length, void* context)
{
    const auto* walk = static_cast<const RecordWalk*>(context);
    if (record < walk->begin || record >= walk->end || length > static_cast<DWORD>(walk->end - record)) {
        return ERR_DATABASE_DAMAGED;
    }
    return walk->processor->OnRecord(record, signature, length);
}

bool IsDropped(WORD signature)
{
    for (WORD dropped : kDroppedSignatures) {
        if (signature == dropped) {
            return true;
        }
    }
    return false;
}

} // namespace

STATUS RichTextField::EnumerateRecords(CDRecordProcessor& processor) const
{
    const LockedValue value(item_.value);
    if (value.Data() == nullptr || item_.length < sizeof(WORD)) {
        return ERR_INVALID_HANDLE;
    }
    RecordWalk walk{&processor, value.Data(), value.Data() + item_.length};
    return EnumCompositeBuffer(item_.value, item_.length, &OnEachRecord, &walk);
}

STATUS RichTextField::BeginBuilding(const char* itemName)
{
    DHANDLE builder = 0;
    const STATUS status = CompoundTextCreate(note_, itemName, &builder);
    if (status == NOERROR_STATUS) {
        builder_.reset(builder);
    }
    return status;
}

STATUS RichTextField::RenderNote(NOTEHANDLE document)
{
    return builder_ ? CompoundTextAddRenderedNote(builder_.get(), document, 0, 0) : STATUS(ERR_INVALID_HANDLE);
}

STATUS RichTextField::AppendRecord(const char* record, DWORD length)
{
    return builder_ ? CompoundTextAddCDRecords(builder_.get(), const_cast<char*>(record), length)
                    : STATUS(ERR_INVALID_HANDLE);
}

STATUS RichTextField::FinishBuilding()
{
    if (!builder_) {
        return ERR_INVALID_HANDLE;
    }
    const STATUS status = CompoundTextClose(builder_.get(), nullptr, nullptr, nullptr, 0);
    if (status == NOERROR_STATUS) {
        builder_.release(); // closing consumed it
    }
    return status;
}

WORD RichTextFilter::OnRecord(const char* record, WORD signature, DWORD length)
{
    if (IsDropped(signature)) {
        return NOERROR_STATUS;
    }
    return target_.AppendRecord(record, length);
}

} // namespace brw
