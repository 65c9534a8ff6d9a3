#include "core/VideoSort.h"

#include <gtest/gtest.h>

using namespace tavimo;

namespace {

template <typename T> QList<T> arranged(const QList<T>& items, const QList<int>& order) {
    QList<T> result;
    for (int old : order)
        result.append(items.at(old));
    return result;
}

} // namespace

TEST(VideoSort, NamesSortIgnoringCaseAndEqualNamesKeepTheirAlbumOrder) {
    const QStringList names{QStringLiteral("b.avi"), QStringLiteral("A.avi"),
                            QStringLiteral("a.avi")};
    for (const QLocale& locale :
         {QLocale::system(), QLocale(QLocale::Japanese, QLocale::Japan), QLocale::c()}) {
        // "A.avi" (index 1) stays ahead of "a.avi" (index 2) whatever the locale.
        EXPECT_EQ(nameSortOrder(names, locale), (QList<int>{1, 2, 0}))
            << locale.name().toStdString();
    }
    // The locale's collation, not code units: "Ä" sorts beside "a", digits before letters.
    const QStringList mixed{QStringLiteral("z.avi"), QStringLiteral("Äb.avi"),
                            QStringLiteral("ac.avi"), QStringLiteral("1.avi")};
    EXPECT_EQ(arranged(mixed, nameSortOrder(mixed, QLocale(QLocale::German))),
              (QStringList{QStringLiteral("1.avi"), QStringLiteral("Äb.avi"),
                           QStringLiteral("ac.avi"), QStringLiteral("z.avi")}));
    EXPECT_TRUE(nameSortOrder({}).isEmpty());
}

TEST(VideoSort, PlayCountsSortMostPlayedFirstAndEqualCountsKeepTheirOrder) {
    const QList<int32_t> counts{2, 5, 2, 0};
    const QList<int> order = playCountSortOrder(counts);
    EXPECT_EQ(order, (QList<int>{1, 0, 2, 3})); // the first 2 stays ahead of the second
    EXPECT_EQ(arranged(counts, order), (QList<int32_t>{5, 2, 2, 0}));
}
