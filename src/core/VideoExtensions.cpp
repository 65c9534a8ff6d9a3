#include "core/VideoExtensions.h"

#include "core/TextFile.h"

#include <QFileInfo>

namespace tavimo {

VideoExtensions::VideoExtensions()
    : builtin_{QStringLiteral(".avi"),  QStringLiteral(".mpg"),  QStringLiteral(".asf"),
               QStringLiteral(".wmv"),  QStringLiteral(".rm"),   QStringLiteral(".ogg"),
               QStringLiteral(".ogm"),  QStringLiteral(".mov"),  QStringLiteral(".mkv"),
               QStringLiteral(".flv"),  QStringLiteral(".ram"),  QStringLiteral(".rmv"),
               QStringLiteral(".rmvb"), QStringLiteral(".qt"),   QStringLiteral(".mp4"),
               QStringLiteral(".m2v"),  QStringLiteral(".mpeg"), QStringLiteral(".mpe"),
               QStringLiteral(".mpa"),  QStringLiteral(".m1v"),  QStringLiteral(".mp2v"),
               QStringLiteral(".mpv2"), QStringLiteral(".m4v"),  QStringLiteral(".divx"),
               QStringLiteral(".div"),  QStringLiteral(".3gp"),  QStringLiteral(".3g2"),
               QStringLiteral(".amc")} {}

bool VideoExtensions::isVideo(const QString& path) const {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return false;
    const QString extension = name.mid(dot);
    return builtin_.contains(extension, Qt::CaseInsensitive) ||
           user_.contains(extension, Qt::CaseInsensitive);
}

QString VideoExtensions::addUserExtension(const QString& typed) {
    if (typed.isEmpty())
        return {};
    QString extension = typed.startsWith(u'.') ? typed : QLatin1Char('.') + typed;
    extension = extension.toLower();
    user_.append(extension);
    return extension;
}

void VideoExtensions::loadUserList(const QString& path) {
    user_ = userListOf(textfile::readLines(path).value_or(QStringList()));
}

QStringList VideoExtensions::userListOf(const QStringList& lines) {
    QStringList extensions;
    for (const QString& line : lines)
        if (!line.isEmpty())
            extensions.append(line);
    return extensions;
}

QStringList VideoExtensions::userPatterns() const {
    QStringList patterns;
    for (const QString& extension : user_)
        if (!extension.isEmpty())
            patterns.append(QLatin1Char('*') + extension);
    return patterns;
}

QStringList VideoExtensions::newLibraryExtensions() {
    return {QStringLiteral(".webm"), QStringLiteral(".ogv"), QStringLiteral(".ts"),
            QStringLiteral(".m2ts"), QStringLiteral(".mts"), QStringLiteral(".m2t"),
            QStringLiteral(".vob"),  QStringLiteral(".mod"), QStringLiteral(".tod"),
            QStringLiteral(".f4v"),  QStringLiteral(".wtv"), QStringLiteral(".mxf")};
}

} // namespace tavimo
