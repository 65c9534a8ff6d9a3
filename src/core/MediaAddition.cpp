#include "core/MediaAddition.h"

#include "core/EntryFiles.h"

#include <QSet>

namespace tavimo {

namespace {

// The files the album's entries name, for comparing with the files that come in: an entry
// written on Windows ("動画\a.avi") is the file "<root>動画/a.avi" like any other.
QSet<QString> foldedPaths(BookMode mode, const QString& root, const QStringList& entries) {
    QSet<QString> paths;
    for (const QString& entry : entries)
        paths.insert(entryFile(mode, root, entry).toCaseFolded());
    return paths;
}

// Keeps each file once, and none that the album already holds.
QStringList withoutKnown(const QStringList& files, QSet<QString> known) {
    QStringList kept;
    for (const QString& file : files) {
        const QString folded = file.toCaseFolded();
        if (known.contains(folded))
            continue;
        known.insert(folded);
        kept.append(file);
    }
    return kept;
}

AdditionPlan refuse(const QString& message) {
    AdditionPlan plan;
    plan.refusal = message;
    return plan;
}

} // namespace

AdditionPlan planAddition(BookMode mode, const QStringList& albumEntries,
                          const CurrentMedium& medium, const QStringList& files,
                          const DriveProbe& probe) {
    QStringList fit = files;
    const QStringList unfit = takeUnfitPaths(fit);
    if (fit.isEmpty()) {
        AdditionPlan plan;
        plan.unfit = unfit;
        return plan;
    }
    const bool media = mode == BookMode::Media;
    if (media && probe.mediumKind(fit.first()) <= kMediumNone)
        return refuse(kOnlyRemovableFilesMessage);

    // Entries of a media album only become paths once its medium's root is known.
    const bool pathsKnown = !media || !medium.root.isEmpty();
    AdditionPlan plan;
    plan.unfit = unfit;
    plan.medium = medium;
    plan.files = withoutKnown(fit, pathsKnown ? foldedPaths(mode, medium.root, albumEntries)
                                              : QSet<QString>());
    if (plan.files.isEmpty())
        return plan;
    const QString& first = plan.files.first();

    if (!media) {
        if (probe.mediumKind(first) > kMediumNone)
            return refuse(kNoRemovableFilesMessage);
        plan.entries = plan.files;
        return plan;
    }

    if (!medium.root.isEmpty()) {
        if (probe.rootOf(first) != medium.root)
            return refuse(kMediumMismatchMessage);
    } else if (medium.record.kind != kMediumNone) {
        return refuse(kMediumMismatchMessage);
    } else if (!albumEntries.isEmpty()) {
        for (const QString& entry : albumEntries) {
            plan.medium.root = probe.findByFile(entry, plan.medium.record);
            if (!plan.medium.root.isEmpty())
                break;
        }
        // None of the album's videos is on an inserted medium: the new files cannot be shown
        // to belong to the album's medium, and recording theirs would lose the old videos.
        if (plan.medium.root.isEmpty())
            return refuse(kMediumMismatchMessage);
        plan.mediumFound = true;
        plan.removeMissing = true;
        // Compared with the entries that stay: those the medium lacks are about to go.
        QStringList staying = albumEntries;
        for (int index : entriesMissingFrom(plan.medium.root, albumEntries))
            staying.removeAt(index);
        plan.files = withoutKnown(plan.files, foldedPaths(mode, plan.medium.root, staying));
        if (plan.files.isEmpty())
            return plan;
        if (probe.rootOf(plan.files.first()) != plan.medium.root)
            return refuse(kMediumMismatchMessage);
    } else {
        plan.medium.root = probe.rootOf(first);
        plan.medium.record = probe.fillRecord(plan.medium.root);
        plan.mediumFound = true;
    }

    // An entry is a path below the album's medium; a file on another volume cannot be one.
    QStringList onMedium;
    for (const QString& file : std::as_const(plan.files)) {
        if (probe.rootOf(file) != plan.medium.root)
            continue;
        onMedium.append(file);
        plan.entries.append(file.mid(plan.medium.root.size()));
    }
    plan.files = onMedium;
    return plan;
}

QList<int> entriesMissingFrom(const QString& root, const QStringList& entries) {
    QList<int> missing;
    GoneFiles gone;
    for (qsizetype i = entries.size() - 1; i >= 0; --i)
        if (gone.isGone(entryFile(BookMode::Media, root, entries.at(i))))
            missing.append(int(i));
    return missing;
}

} // namespace tavimo
