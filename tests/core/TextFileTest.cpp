#include "core/TextFile.h"

#include "core/TextCodec.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

QByteArray hex(const char* digits) {
    return QByteArray::fromHex(digits);
}

} // namespace

TEST(TextFile, SplitsOnEveryLineBreakAndStopsAtNul) {
    EXPECT_EQ(textfile::splitLines(QStringLiteral("a\r\nb\nc\rd")),
              (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(textfile::splitLines(QStringLiteral("a\r\n\r\nb\r\n")), (QStringList{"a", "", "b"}));
    EXPECT_EQ(textfile::splitLines(QString()), QStringList());
    EXPECT_EQ(textfile::splitLines(QStringLiteral("a\r\nb") + QChar(0) + QStringLiteral("\r\nc")),
              (QStringList{"a", "b"}));
}

TEST(TextFile, JapaneseIsStoredAsCp932AndOtherScriptsFallBackToUtf8) {
    const QString japanese = QStringLiteral("映画アルバム");
    const QByteArray cp932 = textfile::encodeLines({japanese});
    EXPECT_FALSE(cp932.startsWith(textcodec::kUtf8Bom));
    EXPECT_EQ(cp932, QByteArray("\x89\x66\x89\xe6\x83\x41\x83\x8b\x83\x6f\x83\x80\r\n"));

    const QStringList foreign{QStringLiteral("café"), QStringLiteral("한국"), japanese};
    const QByteArray utf8 = textfile::encodeLines(foreign);
    EXPECT_TRUE(utf8.startsWith(textcodec::kUtf8Bom));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lines.txt"));
    ASSERT_TRUE(textfile::writeLines(path, foreign));
    EXPECT_EQ(textfile::readLines(path), foreign);
}

TEST(TextFile, FailedWriteKeepsTheOldFileAndNamesIt) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.book"));
    ASSERT_TRUE(textfile::writeLines(path, {QStringLiteral("old")}));

    // A folder that cannot hold a new file: a regular file standing where the folder should be.
    const QString blocked = dir.filePath(QStringLiteral("notafolder/book.book"));
    QFile(dir.filePath(QStringLiteral("notafolder"))).open(QIODevice::WriteOnly);
    WriteResult failed = textfile::writeLines(blocked, {QStringLiteral("new")});
    EXPECT_FALSE(failed);
    EXPECT_TRUE(failed.message().contains(QStringLiteral("notafolder")));

    // A full disk: the old file must survive whole.
    WriteResult full;
    {
        test::FileSizeLimit fullDisk(8);
        full = textfile::writeLines(path, {QStringLiteral("a line longer than eight bytes")});
    }
    EXPECT_FALSE(full);
    // The system's reason, not Qt's "Unknown error" for the short write that comes first.
    EXPECT_EQ(full.error, QString::fromLocal8Bit(std::strerror(EFBIG)));
    EXPECT_TRUE(full.message().contains(full.error));
    EXPECT_TRUE(full.message().contains(QStringLiteral("book.book")));
    EXPECT_EQ(textfile::readLines(path), QStringList{QStringLiteral("old")});
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*.book*")}, QDir::Files),
              QStringList{QStringLiteral("book.book")});
}

TEST(TextFile, AFileWrittenOnWindowsIsWrittenBackByteForByte) {
    // NEC row 13 "≒" (0x8790, also 0x81E0), an NEC-selected IBM kanji "纊" (0xED40, also 0xFA5C),
    // the IBM "Ⅰ" (0xFA4A, also 0x8754), bytes that are no character (0x80, 0xA0, 0xFD, a lead
    // byte before the line break, an unassigned code 0x8540), half-width kana, '\\' and '~'.
    const QByteArray windows = hex("8790896689e6") + "\r\n" + hex("ed40fa5cfa4a8754") + "\r\n" +
                               hex("80a0fd41") + "\r\n" + hex("b1b2b3") + "\\~\x7f\x1a" +
                               hex("81") + "\r\n" + hex("85408790") + "\r\n";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("windows.book"));
    ASSERT_TRUE(test::writeTestFile(path, windows));

    const auto lines = textfile::readLines(path);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 5);
    // The two codes of a character read as the one character, so names match file names.
    EXPECT_EQ(lines->at(0), QStringLiteral("≒映画"));
    EXPECT_EQ(lines->at(1), QStringLiteral("纊纊ⅠⅠ"));
    EXPECT_EQ(lines->at(2), QString::fromUtf16(u"\uF780\uF7A0\uF7FDA"));
    EXPECT_EQ(lines->at(3), QStringLiteral("ｱｲｳ\\~\x7f\x1a") + QChar(u'\uF781'));
    ASSERT_TRUE(textfile::writeLines(path, *lines));
    EXPECT_EQ(test::readTestFile(path), windows);

    // A changed line takes the usual codes; the unchanged lines keep their own.
    QStringList changed = *lines;
    changed[0] = QStringLiteral("≒");
    ASSERT_TRUE(textfile::writeLines(path, changed));
    QByteArray expected = windows;
    expected.replace(0, 6, hex("81e0"));
    EXPECT_EQ(test::readTestFile(path), expected);

    // A line that CP932 cannot hold makes the file UTF-8 for a while; nothing is lost, and
    // without that line it is again the file it was.
    ASSERT_TRUE(textfile::writeLines(path, *lines + QStringList{QStringLiteral("한국")}));
    EXPECT_TRUE(test::readTestFile(path).startsWith(textcodec::kUtf8Bom));
    const auto mixed = textfile::readLines(path);
    EXPECT_EQ(mixed, *lines + QStringList{QStringLiteral("한국")});
    ASSERT_TRUE(textfile::writeLines(path, *lines));
    EXPECT_EQ(textfile::decodeLines(test::readTestFile(path)), *lines);
}

TEST(TextFile, EveryCp932CodeAndStrayByteSurvivesALoadAndASave) {
    // Every lead byte with every byte after it on a line of its own, and every single byte.
    QByteArray all;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        for (int next = 0x01; next <= 0xFF; ++next) {
            if (next == '\r' || next == '\n')
                continue;
            all.append(char(lead));
            all.append(char(next));
        }
        all.append("\r\n");
    }
    for (int b = 0x01; b <= 0xFF; ++b)
        if (b != '\r' && b != '\n')
            all.append(char(b));
    all.append("\r\n");
    textfile::LineBytes secondCodes;
    const QStringList lines = textfile::decodeLines(all, &secondCodes);
    EXPECT_EQ(textfile::encodeLines(lines, &secondCodes), all);
    // Without the remembered lines the second codes take their first codes (or, where one would
    // then join a stray byte before it, the file falls back to UTF-8): the text stays the same.
    const QByteArray plain = textfile::encodeLines(lines);
    EXPECT_EQ(textfile::decodeLines(plain), lines);
}

TEST(TextFile, OnlyTheFirstByteOrderMarkIsRemovedAndBrokenUtf8Survives) {
    const QString bom(QChar(0xFEFF));
    const QStringList lines{bom + QStringLiteral("名前"), bom + QStringLiteral("次"),
                            QStringLiteral("한국")};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("marks.book"));
    ASSERT_TRUE(textfile::writeLines(path, lines));
    EXPECT_EQ(textfile::readLines(path), lines);

    // UTF-8 with a byte that belongs to no character, an overlong form and an encoded surrogate.
    const QByteArray broken = QByteArray(textcodec::kUtf8Bom) + "caf\xc3\xa9 \xe9t\xc3\r\n" +
                              hex("c0afeda080f09f9880") + "\r\n";
    ASSERT_TRUE(test::writeTestFile(path, broken));
    const auto read = textfile::readLines(path);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->at(0).startsWith(QStringLiteral("café ")));
    ASSERT_TRUE(textfile::writeLines(path, *read));
    EXPECT_EQ(test::readTestFile(path), broken);
}
