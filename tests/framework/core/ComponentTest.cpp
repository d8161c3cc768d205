#include "tests/framework/TestComponents.h"

#include <gtest/gtest.h>


TEST(Component, OwnerFreesWhatItOwnsAndSiblingsHearOfRemovals)
{
    auto form = std::make_unique<TComponent>(nullptr);
    auto* a = new TTestThing(form.get());
    auto* b = new TTestThing(form.get());
    a->SetName("A");
    b->SetName("B");
    EXPECT_EQ(form->ComponentCount(), 2);
    EXPECT_EQ(form->Components(1), b);
    EXPECT_EQ(form->FindComponent("a"), a);
    EXPECT_EQ(b->ComponentIndex(), 1);
    EXPECT_THROW(form->Components(2), EListError);

    a->SetBuddy(b);
    delete b;  // a hears through the owner and through its free notification, and drops the reference
    EXPECT_EQ(a->Buddy(), nullptr);
    EXPECT_EQ(form->ComponentCount(), 1);
    EXPECT_EQ(std::count(a->Log.begin(), a->Log.end(), "BuddyGone"), 1);
}

TEST(Component, FreeNotificationAcrossOwners)
{
    TComponent formA(nullptr), formB(nullptr);
    auto* user = new TTestThing(&formA);
    auto* used = new TTestThing(&formB);
    used->SetName("Used");
    user->SetBuddy(used);  // asks for a free notification: different owners, no broadcast reaches it
    delete used;
    EXPECT_EQ(user->Buddy(), nullptr);

    // The notification is mutual and forgotten once either side is gone: no dangling pointers.
    auto* other = new TTestThing(&formB);
    user->SetBuddy(other);
    delete user;
    delete other;
}

TEST(Component, NamesAreValidatedAndUniquePerOwner)
{
    TComponent form(nullptr);
    auto* a = new TComponent(&form);
    auto* b = new TComponent(&form);
    a->SetName("Timer1");
    EXPECT_THROW(b->SetName("TIMER1"), EComponentError);
    EXPECT_THROW(b->SetName("1abc"), EComponentError);
    EXPECT_THROW(b->SetName("a b"), EComponentError);
    b->SetName("_ok2");
    a->SetName("timer1");  // a component may change the letter case of its own name
    EXPECT_EQ(a->Name(), "timer1");
}

TEST(Component, StateAndRunTimeClassInformation)
{
    TComponent form(nullptr);
    auto* thing = new TTestThing(&form);
    form.SetDesigning(true);
    EXPECT_TRUE(thing->ComponentState().Contains(csDesigning));
    auto* late = new TTestThing(&form);  // joins a designing owner: designing too
    EXPECT_TRUE(late->ComponentState().Contains(csDesigning));

    EXPECT_EQ(thing->ClassName(), "TTestThing");
    EXPECT_TRUE(thing->InheritsFrom(ClassOf<TComponent>()));
    EXPECT_FALSE(form.InheritsFrom(ClassOf<TTestThing>()));
    EXPECT_TRUE(Is<TComponent>(thing));
    EXPECT_THROW(As<TTestThing>(&form), EInvalidCast);
    EXPECT_EQ(GetClass("TTestThing"), ClassOf<TTestThing>());
    EXPECT_EQ(GetClass("TNoSuchClass"), nullptr);
    EXPECT_THROW(FindClass("TNoSuchClass"), EClassNotFound);
}

TEST(Persistent, DefaultCopyFailsWithConversionError)
{
    TComponent a(nullptr), b(nullptr);
    try {
        a.Assign(&b);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TComponent to a TComponent");
    }
    EXPECT_THROW(a.Assign(nullptr), EConvertError);
}
