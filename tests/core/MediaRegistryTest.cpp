#include "core/MediaRegistry.h"

#include "core/MediaDat.h"
#include "support/ScriptedDialogService.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

MediumRecord record(int32_t kind, uint32_t serial, const QString& label) {
    return MediumRecord{kind, serial, label};
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

TEST(MediaDat, WritesEveryIntegerInItsSmallestForm) {
    EXPECT_EQ(mediadat::encode({}), bytes({0x02, 0x00}));
    EXPECT_EQ(mediadat::encode({record(3, 0, {})}),
              bytes({0x02, 0x01, 0x02, 0x03, 0x02, 0x00, 0x06, 0x00}));
    EXPECT_EQ(mediadat::encode({record(1, 300, QStringLiteral("AB"))}),
              bytes({0x02, 0x01, 0x02, 0x01, 0x03, 0x2C, 0x01, 0x06, 0x02, 'A', 'B'}));
    EXPECT_EQ(mediadat::encode({record(2, 40000, {})}),
              bytes({0x02, 0x01, 0x02, 0x02, 0x04, 0x40, 0x9C, 0x00, 0x00, 0x06, 0x00}));
    // Serials from 0x80000000 on do not fit a signed 32-bit integer: the 64-bit form.
    EXPECT_EQ(
        mediadat::encode({record(3, 0x80000000u, {})}),
        bytes({0x02, 0x01, 0x02, 0x03, 0x13, 0x00, 0x00, 0x00, 0x80, 0, 0, 0, 0, 0x06, 0x00}));
    EXPECT_EQ(mediadat::encode({record(3, 0x7FFFFFFFu, {})}).mid(4, 5),
              bytes({0x04, 0xFF, 0xFF, 0xFF, 0x7F}));
}

TEST(MediaDat, JapaneseLabelsTravelAsUtf8AndEveryTextFormReadsBack) {
    const QString label = QStringLiteral("旅行ＤＶＤ");
    const QByteArray encoded = mediadat::encode({record(2, 0xDEADBEEF, label)});
    const QByteArray utf8 = label.toUtf8();
    const QByteArray tail = bytes({0x14}) + QByteArray("\x0F\0\0\0", 4) + utf8;
    EXPECT_TRUE(encoded.endsWith(tail));
    auto decoded = mediadat::decode(encoded);
    ASSERT_TRUE(decoded.complete);
    EXPECT_EQ(decoded.records, QList<MediumRecord>{record(2, 0xDEADBEEF, label)});

    // UTF-16 text (read, never written) and the long ASCII form, cut to 255 bytes.
    QByteArray utf16 = bytes({0x02, 0x02, 0x02, 0x01, 0x02, 0x05, 0x12, 0x02, 0, 0, 0});
    utf16 += QByteArray::fromHex("c5654c88"); // 旅 and 行 as little-endian UTF-16
    utf16 += bytes({0x02, 0x03, 0x02, 0x06, 0x0C, 0x2C, 0x01, 0, 0});
    utf16 += QByteArray(300, 'L');
    decoded = mediadat::decode(utf16);
    ASSERT_TRUE(decoded.complete);
    ASSERT_EQ(decoded.records.size(), 2);
    EXPECT_EQ(decoded.records[0], record(1, 5, QStringLiteral("旅行")));
    EXPECT_EQ(decoded.records[1].label, QString(255, u'L'));

    // A label is what stands before its terminating zero.
    decoded =
        mediadat::decode(bytes({0x02, 0x01, 0x02, 0x01, 0x02, 0x07, 0x06, 0x03, 'A', 0, 'B'}));
    EXPECT_EQ(decoded.records.value(0).label, QStringLiteral("A"));
}

TEST(MediaDat, AFileCutAtAnyByteLoadsTheWholeRecordsInFrontOfTheCut) {
    const QList<MediumRecord> records{record(1, 7, QStringLiteral("CD")),
                                      record(3, 0xF00DF00D, QStringLiteral("ＵＳＢ")),
                                      record(2, 40000, {}), record(0, 0, {})};
    const QByteArray whole = mediadat::encode(records);
    for (qsizetype cut = 0; cut < whole.size(); ++cut) {
        const auto decoded = mediadat::decode(whole.left(cut));
        EXPECT_FALSE(decoded.complete) << cut;
        ASSERT_LE(decoded.records.size(), records.size());
        EXPECT_EQ(decoded.records, records.mid(0, decoded.records.size())) << cut;
    }
    EXPECT_TRUE(mediadat::decode(whole).complete);
    EXPECT_EQ(mediadat::decode(whole).records, records);
}

TEST(MediaDat, GarbledValuesStopTheLoadWithoutTrustingCounts) {
    // A count of two billion records in an 8-byte file.
    auto decoded = mediadat::decode(bytes({0x04, 0, 0, 0, 0x7F, 0x02, 0x01, 0x02}));
    EXPECT_FALSE(decoded.complete);
    EXPECT_TRUE(decoded.records.isEmpty());
    // A negative count, an unknown tag, a serial beyond 32 bits, a negative serial and a
    // text length beyond the file.
    for (const QByteArray& bad :
         {bytes({0x02, 0xFF}), bytes({0x02, 0x01, 0x07, 0x01}),
          bytes({0x02, 0x01, 0x02, 0x01, 0x13, 0, 0, 0, 0, 1, 0, 0, 0, 0x06, 0}),
          bytes({0x02, 0x01, 0x02, 0x01, 0x02, 0xFF, 0x06, 0}),
          bytes({0x02, 0x01, 0x02, 0x01, 0x02, 0x01, 0x14, 0xFF, 0xFF, 0xFF, 0x7F, 'a'})}) {
        decoded = mediadat::decode(bad);
        EXPECT_FALSE(decoded.complete) << bad.toHex().toStdString();
        EXPECT_TRUE(decoded.records.isEmpty());
    }
    // The record before the damage survives.
    decoded = mediadat::decode(
        mediadat::encode({record(1, 9, QStringLiteral("A")), record(1, 9, QStringLiteral("B"))})
            .replace(QByteArray("\x06\x01"
                                "B"),
                     QByteArray("\x99\x01"
                                "B")));
    EXPECT_FALSE(decoded.complete);
    EXPECT_EQ(decoded.records, QList<MediumRecord>{record(1, 9, QStringLiteral("A"))});
}

TEST(MediaRegistry, LoadingForABookFitsTheRecordsToItsLines) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("media.dat"));
    test::ScriptedDialogService dialogs;
    MediaRegistry registry;

    // Missing file: one empty record per line.
    registry.add(record(1, 1, QStringLiteral("old")));
    registry.loadForBook(path, 3, dialogs);
    EXPECT_EQ(registry.records(), QList<MediumRecord>(3));

    QList<MediumRecord> three{record(1, 1, QStringLiteral("A")), record(2, 2, QStringLiteral("B")),
                              record(3, 3, QStringLiteral("C"))};
    writeFile(path, mediadat::encode(three));
    registry.loadForBook(path, 5, dialogs);
    EXPECT_EQ(registry.records(), three + QList<MediumRecord>(2));
    registry.loadForBook(path, 2, dialogs);
    EXPECT_EQ(registry.records(), three.mid(0, 2));
    EXPECT_TRUE(dialogs.asked().isEmpty());

    // A damaged file is reported once and gives what it holds.
    writeFile(path, mediadat::encode(three).chopped(1));
    dialogs.answer(DialogService::Answer::Ok);
    registry.loadForBook(path, 3, dialogs);
    EXPECT_EQ(registry.records(), three.mid(0, 2) + QList<MediumRecord>(1));
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_TRUE(dialogs.messages().first().contains(QStringLiteral("media.dat")));
}
