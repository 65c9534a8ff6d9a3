#pragma once

#include "core/search/RomajiReading.h"

#include <QHash>

namespace tavimo::test {

// Romaji readings from a table: the search's tests need no dictionary.
class FakeRomaji final : public RomajiReading {
public:
    explicit FakeRomaji(QHash<QString, QStringList> table) : table_(std::move(table)) {}
    QStringList readings(const QString& word) override {
        ++asked;
        return table_.value(word);
    }
    int asked = 0;

private:
    QHash<QString, QStringList> table_;
};

} // namespace tavimo::test
