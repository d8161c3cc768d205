#include "tests/framework/TestComponents.h"

#include <gtest/gtest.h>


namespace {

TTestItem* AddItem(TCollection& c, const String& caption, int value)
{
    auto* item = static_cast<TTestItem*>(c.Add());
    item->Caption = caption;
    item->SetValue(value);
    return item;
}

}  // namespace

TEST(Collection, AddInsertDeleteAndIndexes)
{
    TComponent owner(nullptr);
    TCollection c(ClassOf<TTestItem>(), &owner);
    AddItem(c, "a", 1);
    AddItem(c, "c", 3);
    auto* b = static_cast<TTestItem*>(c.Insert(1));
    b->Caption = "b";
    ASSERT_EQ(c.Count(), 3);
    EXPECT_EQ(c.ItemAs<TTestItem>(1)->Caption, "b");
    EXPECT_EQ(b->Index(), 1);
    EXPECT_EQ(b->Collection(), &c);
    EXPECT_EQ(c.GetOwner(), &owner);
    EXPECT_EQ(b->GetOwner(), &c);
    EXPECT_EQ(b->DisplayName(), "b");

    b->SetIndex(0);
    EXPECT_EQ(c.ItemAs<TTestItem>(0)->Caption, "b");
    c.Delete(0);
    EXPECT_EQ(c.Count(), 2);
    EXPECT_EQ(c.ItemAs<TTestItem>(0)->Caption, "a");

    EXPECT_THROW(c.Items(2), EListError);
    EXPECT_THROW(c.Items(-1), EListError);
    EXPECT_THROW(c.Delete(5), EListError);
    EXPECT_THROW(c.Insert(3), EListError);

    delete c.Items(0);  // freeing an item takes it out of its collection
    EXPECT_EQ(c.Count(), 1);
    c.Clear();
    EXPECT_EQ(c.Count(), 0);
}

TEST(Collection, AssignEmptiesTargetThenCopiesItemByItem)
{
    TCollection src(ClassOf<TTestItem>()), dst(ClassOf<TTestItem>());
    AddItem(src, "x", 10);
    AddItem(src, "y", 20);
    AddItem(dst, "old", 99);
    dst.Assign(&src);
    ASSERT_EQ(dst.Count(), 2);
    EXPECT_EQ(dst.ItemAs<TTestItem>(0)->Caption, "x");
    EXPECT_EQ(dst.ItemAs<TTestItem>(1)->Value(), 20);
    EXPECT_NE(dst.Items(0), src.Items(0));  // copies, not shared items
    dst.Assign(&dst);                       // self-assignment keeps the items
    EXPECT_EQ(dst.Count(), 2);
}

TEST(Collection, AssignFailsForItemsWithoutCopyAndForOtherClasses)
{
    TCollection src(ClassOf<TPlainItem>()), dst(ClassOf<TPlainItem>());
    src.Add();
    TCollectionItem* old = dst.Add();
    try {
        dst.Assign(&src);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TPlainItem to a TPlainItem");
    }
    ASSERT_EQ(dst.Count(), 1);  // a failed copy leaves the old items in place
    EXPECT_EQ(dst.Items(0), old);
    TStringList lines;
    EXPECT_THROW(dst.Assign(&lines), EConvertError);
    EXPECT_EQ(TPlainItem(nullptr).GetDisplayName(), "TPlainItem");
    EXPECT_THROW(TCollection(ClassOf<TComponent>()), EInvalidCast);
}
