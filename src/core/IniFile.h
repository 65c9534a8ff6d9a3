#pragma once

#include "core/AtomicFile.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace tavimo {

// An INI text kept as its lines, so that a rewrite changes only the keys written and every
// other section, key, comment and blank line stays where it was. Section and key names are
// compared without regard to letter case; the first section of a name and the first key of a
// name within it are the ones read and written.
class IniFile {
public:
    IniFile() = default;
    explicit IniFile(const QStringList& lines) : lines_(lines) {}

    // Reads the file (CP932, or UTF-8 after a byte-order mark). False when it cannot be read;
    // the object is then empty.
    bool load(const QString& path);
    // Writes the whole text atomically; lines read from the file and unchanged keep their bytes.
    WriteResult save(const QString& path) const;

    // Takes a whole text (any line breaks).
    void setText(const QString& text);
    const QStringList& lines() const { return lines_; }
    QByteArray toBytes() const;

    // The text after the first '=' of the key's line, exactly as it stands.
    std::optional<QString> value(const QString& section, const QString& key) const;

    QString readString(const QString& section, const QString& key, const QString& def) const;
    // Decimal, optionally negative; "$" or "0x" marks hexadecimal (up to 32 bits, so
    // "$8000000F" reads as the signed value of those bits). Anything else gives def.
    int32_t readInteger(const QString& section, const QString& key, int32_t def) const;
    // Any integer other than 0 is true; a missing or non-numeric value gives def.
    bool readBool(const QString& section, const QString& key, bool def) const;

    // Replaces the value of an existing key in place (keeping how its name was spelt), or adds
    // the key at the end of its section, or adds the section at the end of the text. A value
    // ends at its first line break.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int32_t value);
    void writeBool(const QString& section, const QString& key, bool value);

    // The integer syntax of readInteger, for other readers of the same kind of value.
    static std::optional<int32_t> parseInteger(const QString& text);

private:
    // Index of the section's header line, or -1.
    qsizetype findSection(const QString& section) const;
    // Index of the key's line within the section starting after header, or -1.
    qsizetype findKey(qsizetype header, const QString& key) const;

    QStringList lines_;
};

} // namespace tavimo
