#include "core/NameRules.h"

#include "core/BookPaths.h"

#include <QFile>

namespace tavimo {

namespace {

// ".pjpg" and ".book" are the longest extensions a name gets.
constexpr qsizetype kLongestExtension = 5;
// An atomic write (QSaveFile) that replaces a file goes through a temporary file named
// "<file name>.XXXXXX" beside it, so a name that fits only without those 7 bytes is saved once
// and never again; a damaged file is kept as "<file name>.damaged" (".damaged.NN" when that is
// taken) before it is written over. Room is left for the longer of the two.
constexpr qsizetype kTemporarySuffix = 11;
// File names on Linux file systems hold at most 255 bytes.
constexpr qsizetype kMaxFileNameBytes = 255;

// Files of the library folder that are not books: the settings, the lists, the lock that keeps
// a second program away and the journal of an unfinished save. A book of such a title could not
// make its folder beside them (compared without case, as a library copied to or from Windows
// meets it).
const QLatin1String kLibraryFiles[] = {QLatin1String("Tavimo.ini"), kMediaBooksFile,
                                       QLatin1String("userex.inf"), QLatin1String("Tavimo.lock"),
                                       QLatin1String("Tavimo.journal")};

bool holdsLoneSurrogate(const QString& name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate())
            return true;
    }
    return false;
}

std::optional<QString> titleProblem(const QString& title, const QString& head) {
    if (title.endsWith(QLatin1String(".book"), Qt::CaseInsensitive))
        return head +
               QStringLiteral("「.book」で終わるタイトルは、ほかのブックのファイルと重なるため"
                              "使えません。");
    for (QLatin1String file : kLibraryFiles)
        if (title.compare(file, Qt::CaseInsensitive) == 0)
            return head +
                   QStringLiteral("ライブラリのファイル「%1」と重なるため、タイトルに使えません。")
                       .arg(file);
    return std::nullopt;
}

} // namespace

std::optional<QString> nameProblem(const QString& name, NameKind kind) {
    if (name.isEmpty())
        return std::nullopt;
    const QString head = QStringLiteral("「%1」は名前に使えません。\r\n").arg(name);
    if (name == u"." || name == u"..")
        return head + QStringLiteral("「.」と「..」は名前にできません。");
    for (QChar c : name) {
        if (c == u'/')
            return head + QStringLiteral("「/」は名前に使えません。");
        if (c.category() == QChar::Other_Control)
            return head + QStringLiteral("改行などの制御文字は名前に使えません。");
    }
    if (holdsLoneSurrogate(name))
        return head + QStringLiteral(
                          "対になっていないサロゲート（文字にならない符号）は名前に使えません。");
    if (name.startsWith(QChar(0xFEFF)))
        return head + QStringLiteral("先頭のバイトオーダーマーク（U+FEFF）は名前に使えません。");
    if (kind == NameKind::Album && name.contains(QStringLiteral("-->")))
        return head + QStringLiteral("「-->」はアルバム名に使えません。");
    if (kind == NameKind::BookTitle)
        if (auto problem = titleProblem(name, head))
            return problem;
    if (QFile::encodeName(name).size() + kLongestExtension + kTemporarySuffix > kMaxFileNameBytes)
        return head + QStringLiteral("名前が長すぎます。");
    return std::nullopt;
}

namespace {
std::optional<Problem> refusal(const std::optional<QString>& message) {
    if (!message)
        return std::nullopt;
    return Problem{*message, QString(), QString(), Problem::Icon::Warning};
}
} // namespace

std::optional<Problem> refusedName(const QString& name, NameKind kind) {
    return refusal(nameProblem(name, kind));
}

bool albumNamedLikeBook(const QString& albumName, const QString& bookTitle) {
    return !bookTitle.isEmpty() && albumName.compare(bookTitle, Qt::CaseInsensitive) == 0;
}

std::optional<QString> albumNameProblem(const QString& name, const QString& bookTitle) {
    if (auto problem = nameProblem(name, NameKind::Album))
        return problem;
    if (albumNamedLikeBook(name, bookTitle))
        return QStringLiteral("「%1」は名前に使えません。\r\n"
                              "ブックと同じ名前はアルバム名に使えません。")
            .arg(name);
    return std::nullopt;
}

std::optional<Problem> refusedAlbumName(const QString& name, const QString& bookTitle) {
    return refusal(albumNameProblem(name, bookTitle));
}

QString albumNamedLikeBookReport(const QString& albumName) {
    return QStringLiteral("アルバム「%1」はブックと同じ名前のため、縮小画像を保存しません。\r\n"
                          "アルバム名を変更してください。")
        .arg(albumName);
}

} // namespace tavimo
