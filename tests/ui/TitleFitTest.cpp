#include "core/TitleFit.h"

#include "ui/WindowFont.h"

#include <QFontInfo>
#include <gtest/gtest.h>

using namespace tavimo;

namespace {

// The longest prefix no wider than `width`, found the slow way: one character off at a time.
qsizetype slowFittingLength(const QString& title, int width, const QFontMetrics& metrics) {
    QString text = title;
    while (!text.isEmpty() && metrics.horizontalAdvance(text) > width)
        text.chop(1);
    return text.size();
}

class TitleFit : public ::testing::Test {
protected:
    QFont font = windowFont(12);
    QFontMetrics metrics{font};
};

} // namespace

TEST_F(TitleFit, WindowFontIsTheSubstitutedGothicAtTwelvePixels) {
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(QFontInfo(font).pixelSize(), 12);
}

TEST_F(TitleFit, TitleThatFitsIsUnchangedAndEmptyStaysEmpty) {
    EXPECT_EQ(fitTitle(QStringLiteral("旅行2019"), 128, metrics), QStringLiteral("旅行2019"));
    EXPECT_EQ(fitTitle(QStringLiteral("a_b.c"), 88, metrics), QStringLiteral("a_b.c"));
    EXPECT_EQ(fitTitle(QString(), 128, metrics), QString());
}

TEST_F(TitleFit, BreaksAfterADotOrUnderscoreInTheSecondHalfOfTheFittingPrefix) {
    const QString title = QStringLiteral("holiday_with_family_at_the_seaside.part1.mp4");
    const qsizetype n = slowFittingLength(title, 128, metrics);
    ASSERT_GT(n, 4);
    ASSERT_LT(n, title.indexOf('.')); // no dot in the prefix: the first "_" (position 8) counts
    const QString caption = fitTitle(title, 128, metrics);
    if (8 > n / 2)
        EXPECT_EQ(caption, title.left(8) + ' ' + title.mid(8));
    else
        EXPECT_EQ(caption, title.left(n) + ' ' + title.mid(n));

    // A dot late in the fitting prefix: the break follows it, even with a "_" before.
    const QString dotted = QStringLiteral("abcdefghij_klmno.pqrstuvwxyz.0123456789.avi");
    const qsizetype m = slowFittingLength(dotted, 128, metrics);
    ASSERT_GT(m, 17);
    ASSERT_GT(17, m / 2);
    EXPECT_EQ(fitTitle(dotted, 128, metrics), dotted.left(17) + ' ' + dotted.mid(17));
}

TEST_F(TitleFit, BreaksRightAfterTheFittingPrefixWhenTheBreakCharacterIsEarly) {
    const QString title = QStringLiteral("a.bcdefghijklmnopqrstuvwxyz0123456789ABCDEF.avi");
    const qsizetype n = slowFittingLength(title, 128, metrics);
    ASSERT_GT(n, 4);
    const QString caption = fitTitle(title, 128, metrics);
    EXPECT_EQ(caption, title.left(n) + ' ' + title.mid(n));
    EXPECT_EQ(caption.count(' '), 1);

    // Neither "." nor "_": the fitting prefix again.
    const QString plain = QStringLiteral("ビデオカメラで撮った運動会の記録映像その二");
    const qsizetype p = slowFittingLength(plain, 88, metrics);
    EXPECT_EQ(fitTitle(plain, 88, metrics), plain.left(p) + ' ' + plain.mid(p));
}

TEST_F(TitleFit, BinarySearchAgreesWithRemovingOneCharacterAtATime) {
    const QString titles[] = {
        QStringLiteral("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"),
        QStringLiteral("iiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiii"),
        QStringLiteral("Mixed 幅の 文字 and Latin letters_with_some.dots.mkv"),
        QStringLiteral("&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&"),
    };
    for (const QString& title : titles) {
        for (int width : {88, 128}) {
            const QString caption = fitTitle(title, width, metrics);
            ASSERT_EQ(caption.size(), title.size() + 1) << title.toStdString();
            const qsizetype n = slowFittingLength(title, width, metrics);
            qsizetype k = title.left(n).indexOf('.') + 1;
            if (k == 0)
                k = title.left(n).indexOf('_') + 1;
            const qsizetype at = k > n / 2 ? k : n;
            EXPECT_EQ(caption, title.left(at) + ' ' + title.mid(at)) << title.toStdString();
        }
    }
}

TEST_F(TitleFit, SurrogatePairIsNeverSplit) {
    QString title;
    for (int i = 0; i < 30; ++i)
        title += QString::fromUcs4(U"\U0001F3AC");
    const QString caption = fitTitle(title, 88, metrics);
    const qsizetype space = caption.indexOf(' ');
    ASSERT_GT(space, 0);
    EXPECT_FALSE(caption.at(space - 1).isHighSurrogate());
}
