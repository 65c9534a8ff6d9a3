#include "core/SaveJournal.h"

#include "core/LibraryBoundary.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QtGlobal>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavimo::savejournal {

namespace {

constexpr QByteArrayView kHeader = "tavimo save journal 1\n";
constexpr qsizetype kTemporarySuffix = 7; // ".XXXXXX", as every atomic write of the library

QByteArray percentEncoded(const QByteArray& bytes) {
    QByteArray out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u > 0x20 && u < 0x7f && c != '%') {
            out.append(c);
        } else {
            static constexpr char hex[] = "0123456789ABCDEF";
            out.append('%').append(hex[u >> 4]).append(hex[u & 15]);
        }
    }
    return out;
}

std::optional<QByteArray> percentDecoded(QByteArrayView text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.append(text[i]);
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        bool ok = false;
        const int value = QByteArray(text.sliced(i + 1, 2).toByteArray()).toInt(&ok, 16);
        if (!ok)
            return std::nullopt;
        out.append(char(value));
        i += 2;
    }
    return out;
}

// A path below the library folder as the journal holds it; none for anything else.
std::optional<QByteArray> relativePath(const QString& path, const QString& libraryFolder) {
    if (!path.startsWith(libraryFolder) || path.size() == libraryFolder.size())
        return std::nullopt;
    const QString rest = path.mid(libraryFolder.size());
    for (const QString& part : rest.split(u'/'))
        if (part.isEmpty() || part == u"." || part == u"..")
            return std::nullopt;
    return QFile::encodeName(rest);
}

std::optional<QString> absolutePath(QByteArrayView field, const QString& libraryFolder) {
    const auto bytes = percentDecoded(field);
    if (!bytes || bytes->isEmpty() || bytes->contains('\0'))
        return std::nullopt;
    const QString path = libraryFolder + QFile::decodeName(*bytes);
    // Decoding and encoding again must give the same bytes, so no name means another file.
    if (QFile::encodeName(path.mid(libraryFolder.size())) != *bytes ||
        !relativePath(path, libraryFolder))
        return std::nullopt;
    return path;
}

// A temporary file is its target's name and a suffix of the length every atomic write uses,
// so a damaged journal cannot make recovery remove a file that is not one.
bool isTemporaryOf(const QString& temporary, const QString& target) {
    return temporary.size() == target.size() + kTemporarySuffix && temporary.startsWith(target) &&
           temporary.at(target.size()) == u'.';
}

QString reason(const QString& path, int problem) {
    return QStringLiteral("%1\r\n%2")
        .arg(QDir::toNativeSeparators(path), LibraryBoundary::reason(problem));
}

void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

QString folderOf(const QString& path) {
    return path.left(path.lastIndexOf(u'/') + 1);
}

// FNV-1a: enough to tell a commit line written for this text from damage.
QByteArray checksum(QByteArrayView text) {
    quint64 hash = 14695981039346656037ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return QByteArray::number(hash, 16);
}

// One whole line of steps, or none.
std::optional<Step> parseStep(const QByteArray& line, const QString& libraryFolder) {
    const QList<QByteArray> fields = line.split(' ');
    const QByteArray& word = fields.first();
    Step step;
    if ((word == "write" || word == "move") && fields.size() == 3) {
        step.kind = word == "write" ? StepKind::Write : StepKind::Move;
        const auto first = absolutePath(fields.at(1), libraryFolder);
        const auto second = absolutePath(fields.at(2), libraryFolder);
        if (!first || !second)
            return std::nullopt;
        step.first = *first;
        step.second = *second;
        if (step.kind == StepKind::Write && !isTemporaryOf(step.second, step.first))
            return std::nullopt;
        return step;
    }
    if (word == "remove" && fields.size() == 2) {
        step.kind = StepKind::Remove;
        const auto first = absolutePath(fields.at(1), libraryFolder);
        if (!first)
            return std::nullopt;
        step.first = *first;
        return step;
    }
    return std::nullopt;
}

} // namespace

QByteArray header() {
    return kHeader.toByteArray();
}

std::optional<QByteArray> stepLine(const Step& step, const QString& libraryFolder) {
    const auto first = relativePath(step.first, libraryFolder);
    if (!first)
        return std::nullopt;
    if (step.kind == StepKind::Remove)
        return "remove " + percentEncoded(*first) + '\n';
    const auto second = relativePath(step.second, libraryFolder);
    if (!second)
        return std::nullopt;
    return (step.kind == StepKind::Write ? "write " : "move ") + percentEncoded(*first) + ' ' +
           percentEncoded(*second) + '\n';
}

QByteArray commitLines(const QByteArray& text, qsizetype stepCount) {
    const QByteArray counted = text + "steps " + QByteArray::number(stepCount) + '\n';
    return counted.mid(text.size()) + "commit " + checksum(counted) + '\n';
}

Decoded decode(const QByteArray& bytes, const QString& libraryFolder) {
    Decoded decoded;
    if (!bytes.startsWith(kHeader)) {
        // Cut short within its first line: no temporary file was made yet.
        decoded.damaged = !kHeader.startsWith(bytes);
        return decoded;
    }
    qsizetype at = kHeader.size();
    qsizetype countedSteps = -1;
    while (at < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', at);
        if (end < 0)
            break; // the line being written when the save stopped
        const QByteArray line = bytes.mid(at, end - at);
        if (line.startsWith("commit ")) {
            const bool matches = countedSteps == decoded.journal.steps.size() &&
                                 line.mid(7) == checksum(QByteArrayView(bytes).first(at)) &&
                                 end + 1 == bytes.size();
            decoded.damaged = !matches;
            decoded.journal.committed = matches;
            return decoded;
        }
        if (line.startsWith("steps ")) {
            bool ok = false;
            countedSteps = line.mid(6).toLongLong(&ok);
            if (!ok)
                countedSteps = -1;
        } else if (const auto step = parseStep(line, libraryFolder); step && countedSteps < 0) {
            decoded.journal.steps.append(*step);
        } else {
            // Not written by a save: no step past this can be trusted.
            decoded.damaged = true;
            return decoded;
        }
        at = end + 1;
    }
    return decoded;
}

QList<Step> inTakingOrder(const QList<Step>& steps) {
    QList<Step> ordered;
    ordered.reserve(steps.size());
    for (const StepKind kind : {StepKind::Move, StepKind::Write, StepKind::Remove})
        for (const Step& step : steps)
            if (step.kind == kind)
                ordered.append(step);
    return ordered;
}

std::optional<PathProblem> boundaryProblem(const LibraryBoundary& library, const Step& step) {
    for (const QString& path : {step.first, step.second}) {
        if (path.isEmpty())
            continue;
        const LibraryBoundary::Look found = library.look(path);
        if (found.problem != 0)
            return PathProblem{path, found.problem};
        switch (found.kind) {
        case LibraryBoundary::Kind::Absent:
        case LibraryBoundary::Kind::RegularFile:
            break;
        case LibraryBoundary::Kind::Link:
            return PathProblem{path, LibraryBoundary::kPassesLink};
        case LibraryBoundary::Kind::Folder:
            return PathProblem{path, EISDIR};
        case LibraryBoundary::Kind::Other:
            return PathProblem{path, LibraryBoundary::kNotRegularFile};
        }
    }
    return std::nullopt;
}

void discardTemporaries(const QString& libraryFolder, const QList<Step>& steps) {
    const LibraryBoundary library(libraryFolder);
    for (const Step& step : steps)
        if (step.kind == StepKind::Write)
            library.remove(step.second);
}

QString completeSteps(const QString& libraryFolder, const QList<Step>& steps) {
    const LibraryBoundary library(libraryFolder);
    const auto there = [&](const QString& path) {
        return library.look(path).kind != LibraryBoundary::Kind::Absent;
    };
    QString problem;
    for (const Step& step : inTakingOrder(steps)) {
        int error = 0;
        switch (step.kind) {
        case StepKind::Move:
            // Taken already when the old name is gone; never over a file that is there.
            if (there(step.first) && !there(step.second))
                error = library.rename(step.first, step.second, false);
            break;
        case StepKind::Write:
            if (there(step.second))
                error = library.rename(step.second, step.first, true);
            break;
        case StepKind::Remove:
            error = library.remove(step.first);
            if (error == ENOENT)
                error = 0;
            break;
        }
        if (error != 0) {
            problem = reason(step.first, error);
            break;
        }
    }
    // The renames must be on the disk before the journal that would complete them goes.
    syncFoldersOf(steps);
    return problem;
}

void syncFoldersOf(const QList<Step>& steps) {
    QSet<QString> folders;
    for (const Step& step : steps)
        folders.insert(folderOf(step.kind == StepKind::Move ? step.second : step.first));
    for (const QString& folder : std::as_const(folders))
        syncFolder(folder);
}

namespace {

// What stands in the journal's place, read only when it is a regular file of a journal's size:
// a link is never followed, and a FIFO, a device or a folder is never read.
struct JournalFile {
    bool found = false;
    int error = 0;   // it could not be read
    QString refusal; // it is no journal file: why, for the user
    QByteArray bytes;
};

JournalFile readJournal(int folderFd) {
    JournalFile file;
    const QByteArray name = QFile::encodeName(QString::fromUtf16(kFileName));
    const int fd =
        ::openat(folderFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        file.found = errno != ENOENT;
        if (errno == ELOOP)
            file.refusal = QStringLiteral("記録がシンボリックリンクになっていました。");
        else
            file.error = errno;
        return file;
    }
    file.found = true;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        file.error = errno;
    } else if (!S_ISREG(info.st_mode)) {
        file.refusal = QStringLiteral("記録が通常のファイルではありませんでした。");
    } else if (info.st_size > kMaxJournalBytes) {
        file.refusal = QStringLiteral("記録が大きすぎました。");
    } else {
        // Read to its end, which may lie past the size it had a moment ago, but never past
        // the limit.
        char chunk[16384];
        while (file.bytes.size() <= kMaxJournalBytes) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                file.error = errno;
            if (n <= 0)
                break;
            file.bytes.append(chunk, n);
        }
        if (file.bytes.size() > kMaxJournalBytes)
            file.refusal = QStringLiteral("記録が大きすぎました。");
    }
    ::close(fd);
    return file;
}

// A journal nothing can be done with is set aside, not followed and not read again: nothing is
// undone or completed, and it is kept for whoever wants to look, out of the way of the next
// save. The message tells what was found, that the library opens as it is, and where the
// journal went.
QString setAside(const LibraryBoundary& library, const QString& path, const QString& why) {
    const QString kept = path + QStringLiteral(".damaged");
    const QByteArray name = QFile::encodeName(QString::fromUtf16(kFileName));
    const QByteArray keptName = name + ".damaged";
    const QString head =
        QStringLiteral("保存の記録が壊れていたため、前回の保存を確認できませんでした。") + why;
    // An earlier damaged journal gives way (a folder in its name stays, and the rename fails).
    ::unlinkat(library.folderFd(), keptName.constData(), 0);
    if (::renameat(library.folderFd(), name.constData(), library.folderFd(),
                   keptName.constData()) != 0) {
        const int error = errno;
        return head +
               QStringLiteral("\r\n記録を別の名前に移せませんでした。Tavimo を終了し、次のファイル"
                              "を取り除いてから、もう一度起動してください。\r\n") +
               reason(path, error);
    }
    return head +
           QStringLiteral("\r\nファイルには手を加えずにライブラリを開きます。ブックとアルバムの"
                          "内容を確かめてください。記録は次のファイルに残しました。\r\n%1")
               .arg(QDir::toNativeSeparators(kept));
}

} // namespace

Recovery recover(const QString& libraryFolder) {
    Recovery recovery;
    const QString path = libraryFolder + QString::fromUtf16(kFileName);
    const LibraryBoundary library(libraryFolder);
    if (library.folderFd() < 0)
        return recovery; // no folder, no journal: opening the library says the rest
    const JournalFile file = readJournal(library.folderFd());
    recovery.found = file.found;
    if (!file.found)
        return recovery;
    if (file.error != 0) {
        recovery.problem =
            QStringLiteral("保存の記録を読めませんでした。\r\n") + reason(path, file.error);
        return recovery;
    }
    if (!file.refusal.isEmpty()) {
        recovery.problem = setAside(library, path, file.refusal);
        return recovery;
    }
    const Decoded decoded = decode(file.bytes, libraryFolder);
    if (decoded.damaged) {
        recovery.problem = setAside(library, path, QString());
        return recovery;
    }
    // Checked whole before any step: a journal that would reach outside the folder, or take a
    // folder for a file, is not half taken.
    for (const Step& step : decoded.journal.steps) {
        if (boundaryProblem(library, step)) {
            recovery.problem = setAside(
                library, path,
                QStringLiteral("記録が、ライブラリフォルダーの中のシンボリックリンクや、ファイル"
                               "でないものを指していました。"));
            return recovery;
        }
    }
    if (decoded.journal.committed) {
        recovery.problem = completeSteps(libraryFolder, decoded.journal.steps);
        if (!recovery.problem.isEmpty()) {
            // Kept, so the next save tries again before it changes anything.
            recovery.problem.prepend(QStringLiteral("前回の保存を完了できませんでした。\r\n"));
            return recovery;
        }
        recovery.completed = true;
    } else {
        discardTemporaries(libraryFolder, decoded.journal.steps);
    }
    ::unlinkat(library.folderFd(), QFile::encodeName(QString::fromUtf16(kFileName)).constData(), 0);
    syncFolder(libraryFolder);
    return recovery;
}

} // namespace tavimo::savejournal
