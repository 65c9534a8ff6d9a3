#pragma once

#include "core/AtomicFile.h"
#include "core/BookMode.h"

#include <QList>
#include <QStringList>
#include <optional>

// The book file: one album name per line, in cell order. In normal books a line may carry the
// folder-sync marker "-->" of an album that follows its folder.
namespace tavimo::bookfile {

inline constexpr char16_t kSyncMarker[] = u"-->";

struct Line {
    QString name;
    bool folderSync = false;

    bool operator==(const Line&) const = default;
};

// Every marker is cut out of a line wherever it stands, until none is left; only normal books
// take it as the folder-sync flag.
QList<Line> parse(const QStringList& lines, BookMode mode);
QStringList format(const QList<Line>& lines, BookMode mode);

// std::nullopt when the file cannot be read.
std::optional<QList<Line>> read(const QString& path, BookMode mode);
WriteResult write(const QString& path, const QList<Line>& lines, BookMode mode);

} // namespace tavimo::bookfile
