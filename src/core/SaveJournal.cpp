#include "core/SaveJournal.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QtGlobal>
#include <cerrno>
#include <cstring>
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

bool exists(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

QString reason(const QString& path) {
    return QStringLiteral("%1\r\n%2")
        .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(errno)));
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

void discardTemporaries(const QList<Step>& steps) {
    for (const Step& step : steps)
        if (step.kind == StepKind::Write)
            ::unlink(QFile::encodeName(step.second).constData());
}

QString completeSteps(const QList<Step>& steps) {
    QString problem;
    for (const Step& step : inTakingOrder(steps)) {
        const QByteArray first = QFile::encodeName(step.first);
        const QByteArray second = QFile::encodeName(step.second);
        switch (step.kind) {
        case StepKind::Move:
            // Taken already when the old name is gone; never over a file that is there.
            if (exists(step.first) && !exists(step.second) &&
                ::rename(first.constData(), second.constData()) != 0)
                problem = reason(step.first);
            break;
        case StepKind::Write:
            if (exists(step.second) && ::rename(second.constData(), first.constData()) != 0)
                problem = reason(step.first);
            break;
        case StepKind::Remove:
            if (::unlink(first.constData()) != 0 && errno != ENOENT)
                problem = reason(step.first);
            break;
        }
        if (!problem.isEmpty())
            break;
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

Recovery recover(const QString& libraryFolder) {
    Recovery recovery;
    const QString path = libraryFolder + QString::fromUtf16(kFileName);
    QFile file(path);
    if (!file.exists())
        return recovery;
    recovery.found = true;
    if (!file.open(QIODevice::ReadOnly)) {
        recovery.problem = reason(path);
        return recovery;
    }
    const Decoded decoded = decode(file.readAll(), libraryFolder);
    file.close();
    if (decoded.damaged) {
        // Its steps are unknown: nothing is undone or completed, and the journal is kept for
        // whoever wants to look, out of the way of the next save.
        const QString kept = path + QStringLiteral(".damaged");
        QFile::remove(kept);
        QFile::rename(path, kept);
        recovery.problem = QStringLiteral("保存の記録が壊れていたため、前回の保存を確認できません"
                                          "でした。\r\n%1")
                               .arg(QDir::toNativeSeparators(kept));
        return recovery;
    }
    if (decoded.journal.committed) {
        recovery.problem = completeSteps(decoded.journal.steps);
        if (!recovery.problem.isEmpty()) {
            // Kept, so the next save tries again before it changes anything.
            recovery.problem.prepend(QStringLiteral("前回の保存を完了できませんでした。\r\n"));
            return recovery;
        }
        recovery.completed = true;
    } else {
        discardTemporaries(decoded.journal.steps);
    }
    ::unlink(QFile::encodeName(path).constData());
    syncFolder(libraryFolder);
    return recovery;
}

} // namespace tavimo::savejournal
