#pragma once

#include <QStringList>

namespace tavimo {

// What a word typed in Latin letters may stand for in Japanese: its kana spellings and the
// words of a dictionary read so ("toukyou" → "とうきょう", "東京", ...). The search asks it
// for every Latin word of a query; without one, words match as they are typed.
class RomajiReading {
public:
    virtual ~RomajiReading() = default;

    // The texts the word (folded: lower-case Latin letters) may stand for, the word itself
    // not necessarily among them; empty when it stands for nothing else.
    virtual QStringList readings(const QString& word) = 0;
};

} // namespace tavimo
