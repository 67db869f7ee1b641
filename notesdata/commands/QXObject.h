#pragma once
// Reference-counted objects of the data service and the fixed-size list that
// holds them (attachments of a document, remembered temporary files).
#include <windows.h>

#include <memory>

namespace brw {

class QXObject {
public:
    QXObject() = default;
    virtual ~QXObject() = default;
    QXObject(const QXObject&) = delete;
    QXObject& operator=(const QXObject&) = delete;

    // A new object holds one reference, its creator's.
    ULONG AddRef();
    // Deletes the object when the count goes from 1 to 0.
    ULONG Release();

private:
    volatile LONG references_ = 1;
};

class QXObjectListEnumerator {
public:
    // Called for each object of the list in slot order; false stops.
    virtual bool OnObject(QXObject* object) = 0;

protected:
    ~QXObjectListEnumerator() = default;
};

class QXObjectListCleanupEnumerator {
public:
    // True: the list lets go of the object and empties its slot.
    virtual bool IsDone(QXObject* object) = 0;

protected:
    ~QXObjectListCleanupEnumerator() = default;
};

// Holds up to kCapacity objects, each with a reference of its own. Slots
// emptied by a cleanup pass are reused before the list grows; an add to a
// full list is dropped.
class QXObjectList : public QXObject {
public:
    static constexpr int kCapacity = 512;

    ~QXObjectList() override;

    // True when the object was taken (and a reference added).
    bool Add(QXObject* object);
    // Empty slots are skipped: no enumerator has anything to do with them.
    void Enumerate(QXObjectListEnumerator& enumerator) const;
    void Cleanup(QXObjectListCleanupEnumerator& cleanup);

    // Slots in use so far, empty ones below the highest included.
    int Count() const { return count_; }
    QXObject* At(int slot) const;

private:
    std::unique_ptr<QXObject*[]> slots_; // made at the first add
    int count_ = 0;
};

} // namespace brw
