#include "core/IniFile.h"

#include "core/TextFile.h"

#include <QFile>

namespace tavimo {

namespace {

// Every read and write looks through the lines: views, so that looking copies nothing.

// The section name of a header line "[name]", or nothing for any other line.
std::optional<QStringView> sectionName(QStringView line) {
    const QStringView t = line.trimmed();
    if (!t.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = t.indexOf(u']');
    if (close < 0)
        return std::nullopt;
    return t.sliced(1, close - 1).trimmed();
}

// The key name of a "key=value" line, or nothing for comments and other lines.
std::optional<QStringView> keyName(QStringView line) {
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return std::nullopt;
    const QStringView t = line.trimmed();
    if (t.startsWith(u';') || t.startsWith(u'#'))
        return std::nullopt;
    return line.first(eq).trimmed();
}

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

bool IniFile::load(const QString& path) {
    lines_.clear();
    auto lines = textfile::readLines(path);
    if (!lines)
        return false;
    lines_ = std::move(*lines);
    return true;
}

void IniFile::setText(const QString& text) {
    lines_ = textfile::splitLines(text);
}

QByteArray IniFile::toBytes() const {
    return textfile::encodeLines(lines_);
}

WriteResult IniFile::save(const QString& path) const {
    return textfile::writeLines(path, lines_);
}

qsizetype IniFile::findSection(const QString& section) const {
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const auto name = sectionName(lines_.at(i));
        if (name && sameName(*name, section))
            return i;
    }
    return -1;
}

qsizetype IniFile::findKey(qsizetype header, const QString& key) const {
    for (qsizetype i = header + 1; i < lines_.size(); ++i) {
        const QString& line = lines_.at(i);
        if (sectionName(line))
            break;
        const auto name = keyName(line);
        if (name && sameName(*name, key))
            return i;
    }
    return -1;
}

std::optional<QString> IniFile::value(const QString& section, const QString& key) const {
    const qsizetype header = findSection(section);
    if (header < 0)
        return std::nullopt;
    const qsizetype at = findKey(header, key);
    if (at < 0)
        return std::nullopt;
    const QString& line = lines_.at(at);
    return line.mid(line.indexOf(u'=') + 1);
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const {
    return value(section, key).value_or(def);
}

std::optional<int32_t> IniFile::parseInteger(const QString& text) {
    QString t = text.trimmed();
    bool negative = false;
    if (t.startsWith(u'-') || t.startsWith(u'+')) {
        negative = t.startsWith(u'-');
        t = t.mid(1);
    }
    int base = 10;
    if (t.startsWith(u'$')) {
        base = 16;
        t = t.mid(1);
    } else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        t = t.mid(2);
    }
    if (t.isEmpty())
        return std::nullopt;
    for (const QChar c : t) {
        const bool digit = c >= u'0' && c <= u'9';
        const bool hex = (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (!digit && !(base == 16 && hex))
            return std::nullopt;
    }
    bool ok = false;
    const qulonglong magnitude = t.toULongLong(&ok, base);
    if (!ok)
        return std::nullopt;
    if (base == 16) {
        // Hexadecimal spells the 32 bits themselves: $FFFFFFFF is -1.
        if (magnitude > 0xFFFFFFFFull)
            return std::nullopt;
        const auto bits = static_cast<uint32_t>(magnitude);
        return static_cast<int32_t>(negative ? 0u - bits : bits);
    }
    const qlonglong signedValue =
        negative ? -static_cast<qlonglong>(magnitude) : static_cast<qlonglong>(magnitude);
    if (magnitude > 0x80000000ull || signedValue > INT32_MAX || signedValue < INT32_MIN)
        return std::nullopt;
    return static_cast<int32_t>(signedValue);
}

int32_t IniFile::readInteger(const QString& section, const QString& key, int32_t def) const {
    const auto text = value(section, key);
    if (!text)
        return def;
    return parseInteger(*text).value_or(def);
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& text) {
    // A value is one line: a line break (possible in a Linux file name) would otherwise end the
    // line early and let the rest be read as keys or sections of their own.
    qsizetype end = 0;
    while (end < text.size() && text.at(end) != u'\r' && text.at(end) != u'\n' &&
           text.at(end) != QChar(0))
        ++end;
    const QString value = text.left(end);
    qsizetype header = findSection(section);
    if (header < 0) {
        // A new section goes at the end, after one blank line that keeps sections apart.
        if (!lines_.isEmpty() && !lines_.last().trimmed().isEmpty())
            lines_.append(QString());
        lines_.append(QLatin1Char('[') + section + QLatin1Char(']'));
        lines_.append(key + QLatin1Char('=') + value);
        return;
    }
    const qsizetype at = findKey(header, key);
    if (at >= 0) {
        QString& line = lines_[at];
        line = line.left(line.indexOf(u'=') + 1) + value;
        return;
    }
    // After the section's last non-blank line, so a blank line before the next section stays.
    qsizetype insertAt = header + 1;
    for (qsizetype i = header + 1; i < lines_.size() && !sectionName(lines_.at(i)); ++i) {
        if (!lines_.at(i).trimmed().isEmpty())
            insertAt = i + 1;
    }
    lines_.insert(insertAt, key + QLatin1Char('=') + value);
}

void IniFile::writeInteger(const QString& section, const QString& key, int32_t value) {
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value) {
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace tavimo
