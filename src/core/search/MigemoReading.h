#pragma once

#include "core/search/RomajiReading.h"

#include <QString>
#include <memory>

namespace tavimo {

// Romaji readings from C/Migemo (libmigemo.so.1 and its dictionary). The library is loaded
// when the program asks for it, not linked: where it or the dictionary is missing, open()
// answers nothing and the search matches words as they are typed.
class MigemoReading final : public RomajiReading {
public:
    ~MigemoReading() override;
    MigemoReading(const MigemoReading&) = delete;
    MigemoReading& operator=(const MigemoReading&) = delete;

    // The UTF-8 dictionary of Debian's cmigemo-common.
    static QString defaultDictionary();

    // Loads the library and the dictionary (a few hundred milliseconds: do it off the
    // interface thread). nullptr when either cannot be loaded.
    static std::unique_ptr<MigemoReading> open(const QString& dictionary = defaultDictionary());

    // The regular expression Migemo makes of the word, decoded: UTF-8, or EUC-JP for a
    // dictionary in that encoding. Empty when Migemo gives none.
    QString pattern(const QString& word);

    // The texts of pattern(word) (see migemopattern). One object is used by one thread at a
    // time.
    QStringList readings(const QString& word) override;

private:
    struct Library;
    explicit MigemoReading(std::unique_ptr<Library> library);

    std::unique_ptr<Library> library_;
};

} // namespace tavimo
