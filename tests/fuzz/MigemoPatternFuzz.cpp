// libFuzzer target for Migemo's answers, which come from a dictionary file: any text either is
// refused or stands for a bounded number of bounded texts, and a word with those readings
// matches a name holding any of them.

#include "TextChecks.h"
#include "core/search/MigemoPattern.h"
#include "core/search/SearchQuery.h"

using namespace tavimo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString pattern = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    constexpr int kLimit = 500;
    const auto texts = migemopattern::expand(pattern, kLimit);
    if (!texts)
        return 0;
    fuzz::check(texts->size() <= kLimit, "no more texts than the limit");
    for (const QString& text : *texts)
        fuzz::check(text.size() <= 256, "no text longer than a dictionary's");
    const WordPattern word(QStringLiteral("romaji"), *texts);
    for (const QString& text : *texts) {
        const std::string key = searchtext::key(QStringLiteral("x") + text + QStringLiteral("y"));
        const std::string folded = searchtext::key(text);
        const bool beyondAscii =
            std::any_of(folded.begin(), folded.end(), [](char c) { return uchar(c) >= 0x80; });
        if (beyondAscii)
            fuzz::check(word.matches(key, searchtext::signature(key)),
                        "a name holding a reading matches");
    }
    return 0;
}
