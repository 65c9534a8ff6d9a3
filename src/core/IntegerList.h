#pragma once

#include <QtGlobal>
#include <memory>

namespace tavimo {

// A growable list of 32-bit integers used by the sorts of both windows. It grows by a fixed
// step rather than doubling, and holds at most kMaxIndex + 1 values.
class TIntegerList {
public:
    static constexpr int kMaxIndex = 200000;

    // 0 for either argument means 16.
    explicit TIntegerList(int initialCapacity = 16, int growthStep = 16);

    // Appends a value. Throws std::out_of_range when the list is full.
    void add(qint32 value);
    // The value at index, or 0 outside 0..lastIndex().
    qint32 get(int index) const;
    // Stores a value at any index 0..kMaxIndex, growing the list; values skipped over are 0.
    // Throws std::out_of_range for other indexes.
    void put(int index, qint32 value);
    // The lowest index holding the value, or -1.
    int indexOf(qint32 value) const;

    int lastIndex() const { return last_; }
    int count() const { return last_ + 1; }
    int capacity() const { return capacity_; }

private:
    void growTo(int newCapacity);

    std::unique_ptr<qint32[]> items_;
    int last_ = -1;
    int capacity_ = 0;
    int growthStep_ = 16;
};

} // namespace tavimo
