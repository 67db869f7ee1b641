#include "notesdata/commands/QXObject.h"

#include <new>

namespace brw {

ULONG QXObject::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG QXObject::Release()
{
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
        delete this;
    }
    return static_cast<ULONG>(left);
}

QXObjectList::~QXObjectList()
{
    for (int slot = 0; slot < count_; ++slot) {
        if (slots_[slot] != nullptr) {
            slots_[slot]->Release();
        }
    }
}

bool QXObjectList::Add(QXObject* object)
{
    if (object == nullptr) {
        return false;
    }
    if (!slots_) {
        slots_.reset(new (std::nothrow) QXObject*[kCapacity]());
        if (!slots_) {
            return false;
        }
    }
    int slot = 0;
    while (slot < count_ && slots_[slot] != nullptr) {
        ++slot;
    }
    if (slot == kCapacity) {
        return false;
    }
    object->AddRef();
    slots_[slot] = object;
    if (slot == count_) {
        ++count_;
    }
    return true;
}

void QXObjectList::Enumerate(QXObjectListEnumerator& enumerator) const
{
    for (int slot = 0; slot < count_; ++slot) {
        if (slots_[slot] != nullptr && !enumerator.OnObject(slots_[slot])) {
            return;
        }
    }
}

void QXObjectList::Cleanup(QXObjectListCleanupEnumerator& cleanup)
{
    for (int slot = 0; slot < count_; ++slot) {
        QXObject* object = slots_[slot];
        if (object != nullptr && cleanup.IsDone(object)) {
            slots_[slot] = nullptr;
            object->Release();
        }
    }
}

QXObject* QXObjectList::At(int slot) const
{
    return slot >= 0 && slot < count_ ? slots_[slot] : nullptr;
}

} // namespace brw
