#include "widgets/QELAboutFree.h"

#include <QString>
#include <QVariant>

#include <gtest/gtest.h>

using namespace qel;

TEST(AboutFreeStr, HoldsAtMostThirtyTwoCharactersAndConvertsForFormFiles)
{
    EXPECT_EQ(TQELAboutFreeStr().Length(), 0);
    EXPECT_EQ(TQELAboutFreeStr("short").ToString(), "short");
    const String longText(40, 'x');
    EXPECT_EQ(TQELAboutFreeStr(longText).ToString(), String(32, 'x'));

    QVariant v = QVariant::fromValue(TQELAboutFreeStr("about"));
    EXPECT_EQ(v.toString(), QStringLiteral("about"));
    QVariant back(QStringLiteral("read back"));
    ASSERT_TRUE(back.convert(QMetaType::fromType<TQELAboutFreeStr>()));
    EXPECT_EQ(back.value<TQELAboutFreeStr>().ToString(), "read back");
}
