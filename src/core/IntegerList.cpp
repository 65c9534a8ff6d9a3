#include "core/IntegerList.h"

#include <algorithm>
#include <stdexcept>

namespace tavimo {

TIntegerList::TIntegerList(int initialCapacity, int growthStep)
    : growthStep_(growthStep > 0 ? growthStep : 16) {
    growTo(initialCapacity > 0 ? initialCapacity : 16);
}

void TIntegerList::growTo(int newCapacity) {
    auto block = std::make_unique<qint32[]>(size_t(newCapacity)); // zero-filled
    std::copy_n(items_.get(), capacity_, block.get());
    items_ = std::move(block);
    capacity_ = newCapacity;
}

void TIntegerList::add(qint32 value) {
    const int index = last_ + 1;
    if (index > kMaxIndex)
        throw std::out_of_range("TIntegerList: list is full");
    if (index >= capacity_)
        growTo(capacity_ + growthStep_);
    items_[size_t(index)] = value;
    last_ = index;
}

qint32 TIntegerList::get(int index) const {
    if (index < 0 || index > last_)
        return 0;
    return items_[size_t(index)];
}

void TIntegerList::put(int index, qint32 value) {
    if (index < 0 || index > kMaxIndex)
        throw std::out_of_range("TIntegerList: index out of range");
    if (index >= capacity_) {
        int newCapacity = capacity_;
        while (index >= newCapacity)
            newCapacity += growthStep_;
        growTo(newCapacity);
    }
    items_[size_t(index)] = value;
    last_ = std::max(last_, index);
}

int TIntegerList::indexOf(qint32 value) const {
    for (int i = 0; i <= last_; ++i) {
        if (items_[size_t(i)] == value)
            return i;
    }
    return -1;
}

} // namespace tavimo
