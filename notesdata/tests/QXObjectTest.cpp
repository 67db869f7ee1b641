// The object list's slot rules at its edges: full, cleaned, destroyed.
#include "notesdata/commands/QXObject.h"

#include <gtest/gtest.h>

namespace {

// Counts its own destruction.
class Tracked : public brw::QXObject {
public:
    explicit Tracked(int* destroyed) : destroyed_(destroyed) {}
    ~Tracked() override { ++*destroyed_; }

private:
    int* destroyed_;
};

class DoneIf : public brw::QXObjectListCleanupEnumerator {
public:
    explicit DoneIf(brw::QXObject* target) : target_(target) {}
    bool IsDone(brw::QXObject* object) override { return object == target_; }

private:
    brw::QXObject* target_;
};

class StopAfter : public brw::QXObjectListEnumerator {
public:
    explicit StopAfter(int limit) : limit_(limit) {}
    bool OnObject(brw::QXObject*) override { return ++seen < limit_; }
    int seen = 0;

private:
    int limit_;
};

TEST(QXObject, ReleaseFromOneDeletes)
{
    int destroyed = 0;
    auto* object = new Tracked(&destroyed);
    EXPECT_EQ(2u, object->AddRef());
    EXPECT_EQ(1u, object->Release());
    EXPECT_EQ(0, destroyed);
    EXPECT_EQ(0u, object->Release());
    EXPECT_EQ(1, destroyed);
}

TEST(QXObjectList, TheAddBeyondCapacityIsDroppedAndACleanedSlotIsReused)
{
    int destroyed = 0;
    std::vector<Tracked*> objects;
    {
        brw::QXObjectList list;
        for (int i = 0; i < brw::QXObjectList::kCapacity + 1; ++i) {
            objects.push_back(new Tracked(&destroyed));
            bool taken = list.Add(objects.back());
            EXPECT_EQ(taken, i < brw::QXObjectList::kCapacity) << "add " << i + 1;
        }
        EXPECT_EQ(list.Count(), brw::QXObjectList::kCapacity);

        DoneIf slotThree(objects[3]);
        list.Cleanup(slotThree);
        EXPECT_EQ(nullptr, list.At(3));
        EXPECT_EQ(list.Count(), brw::QXObjectList::kCapacity) << "a cleanup keeps the count";

        Tracked* late = new Tracked(&destroyed);
        ASSERT_TRUE(list.Add(late));
        EXPECT_EQ(list.At(3), late);
        late->Release();

        for (Tracked* object : objects) {
            object->Release(); // the list holds its own references
        }
        EXPECT_EQ(2, destroyed) << "only the dropped object and the cleaned one are gone";
    }
    EXPECT_EQ(destroyed, brw::QXObjectList::kCapacity + 2);
}

TEST(QXObjectList, EnumerationStopsWhenAskedAndSkipsEmptySlots)
{
    int destroyed = 0;
    brw::QXObjectList list;
    Tracked* objects[4];
    for (Tracked*& object : objects) {
        object = new Tracked(&destroyed);
        list.Add(object);
        object->Release();
    }
    DoneIf first(objects[0]);
    list.Cleanup(first);
    StopAfter all(100);
    list.Enumerate(all);
    EXPECT_EQ(3, all.seen);
    StopAfter two(2);
    list.Enumerate(two);
    EXPECT_EQ(2, two.seen);
    EXPECT_FALSE(list.Add(nullptr));
}

} // namespace
