#include "framework/core/TypedCollection.h"
#include "tests/framework/TestComponents.h"

#include <gtest/gtest.h>

// A component's collection class as the components write them: the template does the typing,
// the class keeps its own meta-object.
class TTestItems : public TTypedCollection<TTestItem, TTestThing> {
    Q_OBJECT
public:
    explicit TTestItems(TTestThing* Thing) : TTypedCollection(Thing) {}
};

TEST(TypedCollection, AnswersWithItsItemAndOwnerTypes)
{
    TTestThing thing(nullptr);
    TTestItems items(&thing);
    TTestItem* b = items.Add();
    b->Caption = "b";
    TTestItem* a = items.Insert(0);
    a->Caption = "a";
    ASSERT_EQ(items.Count(), 2);
    EXPECT_EQ(items.Items(0), a);
    EXPECT_EQ(items.Items(1)->Caption, "b");
    EXPECT_EQ(items.FindItemID(b->ID()), b);
    EXPECT_EQ(items.FindItemID(99), nullptr);
    EXPECT_THROW(items.Items(2), EListError);

    TTestThing* owner = items.Owner();
    EXPECT_EQ(owner, &thing);
    EXPECT_EQ(items.GetOwner(), &thing);
    EXPECT_EQ(items.ItemClass(), ClassOf<TTestItem>());

    b->SetValue(42);
    items.SetItem(0, b);  // through the item's own Assign
    EXPECT_EQ(a->Caption, "b");
    EXPECT_EQ(a->Value(), 42);
}

TEST(TypedCollection, TheDerivedClassIsWhatTheMetaObjectNames)
{
    TTypedCollection<TTestItem> unowned(nullptr);
    TTestItems items(nullptr);
    EXPECT_EQ(items.ClassName(), "TTestItems");
    EXPECT_EQ(items.metaObject()->superClass(), ClassOf<TCollection>());
    EXPECT_TRUE(items.InheritsFrom(ClassOf<TCollection>()));
    EXPECT_EQ(unowned.ClassName(), "TCollection");  // no meta-object of its own
    EXPECT_EQ(unowned.Owner(), nullptr);
    EXPECT_EQ(unowned.Add()->Collection(), &unowned);
}

#include "TypedCollectionTest.moc"
