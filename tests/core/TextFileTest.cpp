#include "core/TextFile.h"

#include "core/TextCodec.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;

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
    EXPECT_EQ(textfile::readLines(path), QStringList{QStringLiteral("old")});
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*.book*")}, QDir::Files),
              QStringList{QStringLiteral("book.book")});
}
