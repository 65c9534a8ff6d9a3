#include "core/search/SearchText.h"

#include "core/EntryFiles.h"
#include "core/TextCodec.h"

#include <algorithm>

namespace tavimo::searchtext {

namespace {

bool isAscii(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

char asciiLower(char16_t c) {
    return char(c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c);
}

// Katakana as the hiragana of the same sound; those without one (ヷ, small ㇰ) stay.
char16_t kanaFolded(char16_t c) {
    if ((c >= 0x30A1 && c <= 0x30F6) || c == 0x30FD || c == 0x30FE)
        return char16_t(c - 0x60);
    return c;
}

QString foldedNonAscii(QStringView text) {
    // Normalised again after case folding, which can undo a composition ("ǰ" folds to j and a
    // combining caron): folding a folded text must change nothing, or a word taken from a
    // name would not find it.
    QString folded = text.toString()
                         .normalized(QString::NormalizationForm_KC)
                         .toCaseFolded()
                         .normalized(QString::NormalizationForm_KC);
    for (QChar& c : folded)
        c = QChar(kanaFolded(c.unicode()));
    return folded;
}

} // namespace

QString fold(QStringView text) {
    if (!isAscii(text))
        return foldedNonAscii(text);
    QString folded(text.size(), Qt::Uninitialized);
    std::transform(text.begin(), text.end(), folded.begin(),
                   [](QChar c) { return QChar(asciiLower(c.unicode())); });
    return folded;
}

uint64_t appendKey(QStringView text, std::string& key, uint64_t* wide) {
    uint64_t bits = 0;
    if (wide)
        *wide = 0;
    if (isAscii(text)) {
        for (QChar c : text) {
            const char lower = asciiLower(c.unicode());
            key.push_back(lower);
            bits |= characterBit(char32_t(uchar(lower)));
        }
        return bits;
    }
    const QString folded = foldedNonAscii(text);
    for (qsizetype i = 0; i < folded.size(); ++i) {
        char32_t c = folded.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < folded.size() &&
            folded.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(char16_t(c), folded.at(i + 1).unicode());
            ++i;
        } else if (QChar::isSurrogate(c)) {
            c = 0xFFFD; // a lone half has no UTF-8 form
        }
        textcodec::appendUtf8(key, c);
        bits |= characterBit(c);
        if (wide)
            *wide |= wideBit(c);
    }
    return bits;
}

std::string key(QStringView text) {
    std::string out;
    out.reserve(size_t(text.size()));
    appendKey(text, out);
    return out;
}

uint64_t characterBit(char32_t c) {
    // 26 letters, 10 digits, the two marks that join the words of file names ("VID_2019",
    // "live-2020"), 1 for the rest of ASCII (which the dot before the extension puts in nearly
    // every name), 11 for hiragana, 14 for everything else (kanji above all): the classes a
    // name is made of, so each bit is set by few names.
    int bit;
    if (c >= U'a' && c <= U'z')
        bit = int(c - U'a');
    else if (c >= U'0' && c <= U'9')
        bit = 26 + int(c - U'0');
    else if (c == U'_')
        bit = 36;
    else if (c == U'-')
        bit = 37;
    else if (c < 0x80)
        bit = 38;
    else if (c >= 0x3041 && c <= 0x309F)
        bit = 39 + int(c % 11);
    else
        bit = 50 + int((c * 2654435761u) >> 16) % 14;
    return uint64_t(1) << bit;
}

uint64_t wideSignature(std::string_view key) {
    uint64_t bits = 0;
    for (size_t pos = 0; pos < key.size();)
        bits |= wideBit(nextCharacter(key, pos));
    return bits;
}

uint64_t signature(std::string_view key) {
    uint64_t bits = 0;
    for (size_t pos = 0; pos < key.size();)
        bits |= characterBit(nextCharacter(key, pos));
    return bits;
}

QStringList words(QStringView query) {
    QStringList found;
    const QString folded = fold(query);
    qsizetype start = -1;
    for (qsizetype i = 0; i <= folded.size(); ++i) {
        const bool blank = i == folded.size() || folded.at(i).isSpace();
        if (!blank && start < 0)
            start = i;
        if (blank && start >= 0) {
            const QString word = folded.sliced(start, i - start);
            if (!found.contains(word))
                found.append(word);
            start = -1;
        }
    }
    return found;
}

bool isLatinWord(QStringView word) {
    return !word.isEmpty() && std::all_of(word.begin(), word.end(), [](QChar c) {
        return c.unicode() >= u'a' && c.unicode() <= u'z';
    });
}

EntryParts splitEntry(const QString& entry, BookMode mode) {
    // The entry's file, without a root: the same length as the entry, '\' made '/' where it
    // separates folders.
    const qsizetype cut = entryFile(mode, {}, entry).lastIndexOf(u'/');
    return {QStringView(entry).first(cut + 1), QStringView(entry).sliced(cut + 1)};
}

} // namespace tavimo::searchtext
