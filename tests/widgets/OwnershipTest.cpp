// TQELOwnership: ten published texts stored with the form; its own Name is the owner's name and
// stays apart from the name the form designer knows the component by.
#include "framework/core/FormFiles.h"
#include "widgets/QELOwnership.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaProperty>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace qel;

namespace {

// A stored form: a root with one ownership record in it.
struct TOwnedForm {
    TOwnedForm() : Root(std::make_unique<TComponent>(nullptr)), Record(new TQELOwnership(Root.get()))
    {
        Root->SetName("Form1");
        Record->SetName("Ownership1");
    }
    std::unique_ptr<TComponent> Root;
    TQELOwnership* Record;
};

QJsonObject RecordEntry(const String& Text)
{
    const QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(Text)).object()["root"].toObject();
    return root["components"].toArray()[0].toObject();
}

void FillAll(TQELOwnership& O)
{
    O.Name = "Dr. Ada Owner";  // not a valid component name: it must never reach SetName
    O.PoBox = "PO Box 17";
    O.TelephoneNo = "+41 44 123 45 67";
    O.FaxNo = "+41 44 123 45 68";
    O.Street = "Hauptstrasse 5";
    O.Town = "Zurich";
    O.PostalCode = "8001";
    O.Special1 = "VAT 123";
    O.Special2 = "{braces} and \\backslash";
    O.Special3 = "third";
}

}  // namespace

TEST(Ownership, PublishesTheTenTextsInOrderWithOneName)
{
    const QMetaObject& meta = TQELOwnership::staticMetaObject;
    std::vector<String> own;
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i) own.emplace_back(meta.property(i).name());
    EXPECT_EQ(own, (std::vector<String>{"About", "Name", "PoBox", "TelephoneNo", "FaxNo", "Street", "Town",
                                        "PostalCode", "Special1", "Special2", "Special3"}));
    // The component-name property's place is taken: a lookup by name finds the owner's name, stored.
    const int name = meta.indexOfProperty("Name");
    EXPECT_GE(name, meta.propertyOffset());
    EXPECT_TRUE(meta.property(name).isStored());

    TQELOwnership fresh(nullptr);
    for (const String* field : {&fresh.Name, &fresh.TelephoneNo, &fresh.FaxNo, &fresh.PoBox, &fresh.Street,
                                &fresh.Town, &fresh.PostalCode, &fresh.Special1, &fresh.Special2, &fresh.Special3})
        EXPECT_EQ(*field, "");
    EXPECT_EQ(fresh.About.ToString(), "");
}

TEST(Ownership, AFormFileWithAllTenFieldsReadsBackTheSame)
{
    TOwnedForm form;
    FillAll(*form.Record);
    const String text = ComponentToText(form.Root.get());

    const QJsonObject entry = RecordEntry(text);
    EXPECT_EQ(entry["name"].toString(), "Ownership1");
    const QJsonObject props = entry["properties"].toObject();
    EXPECT_EQ(props["Name"].toString(), "Dr. Ada Owner");
    EXPECT_EQ(props.size(), 10);  // every non-empty field, the About text left out

    TComponent target(nullptr);
    TextToComponent(text, &target);
    auto* back = dynamic_cast<TQELOwnership*>(target.FindComponent("Ownership1"));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->TComponent::Name(), "Ownership1");
    TQELOwnership expected(nullptr);
    FillAll(expected);
    EXPECT_EQ(back->Name, expected.Name);
    EXPECT_EQ(back->PoBox, expected.PoBox);
    EXPECT_EQ(back->TelephoneNo, expected.TelephoneNo);
    EXPECT_EQ(back->FaxNo, expected.FaxNo);
    EXPECT_EQ(back->Street, expected.Street);
    EXPECT_EQ(back->Town, expected.Town);
    EXPECT_EQ(back->PostalCode, expected.PostalCode);
    EXPECT_EQ(back->Special1, expected.Special1);
    EXPECT_EQ(back->Special2, expected.Special2);
    EXPECT_EQ(back->Special3, expected.Special3);
}

TEST(Ownership, SettingNameChangesOnlyTheOwnersNameField)
{
    TOwnedForm form;
    form.Record->Name = "Ada";
    EXPECT_EQ(form.Record->TComponent::Name(), "Ownership1");
    EXPECT_EQ(form.Root->FindComponent("Ownership1"), form.Record);

    // Through the published property, as the form reader and an object inspector set it.
    EXPECT_TRUE(form.Record->setProperty("Name", QVariant::fromValue(String("Grace Hopper-Smith"))));
    EXPECT_EQ(form.Record->Name, "Grace Hopper-Smith");
    EXPECT_EQ(form.Record->TComponent::Name(), "Ownership1");
    EXPECT_EQ(form.Record->property("Name").value<String>(), "Grace Hopper-Smith");

    // Renaming the component leaves the owner's name alone.
    form.Record->SetName("Owner2");
    EXPECT_EQ(form.Record->Name, "Grace Hopper-Smith");
    EXPECT_EQ(form.Root->FindComponent("Owner2"), form.Record);
    EXPECT_EQ(form.Record->PoBox, "");
}

TEST(Ownership, EmptyFieldsAreNotStoredAndANamelessOwnerKeepsTheDesignerName)
{
    TOwnedForm form;
    form.Record->Town = "Bern";
    const String text = ComponentToText(form.Root.get());
    const QJsonObject entry = RecordEntry(text);
    EXPECT_EQ(entry["name"].toString(), "Ownership1");
    EXPECT_EQ(entry["properties"].toObject().keys(), QStringList({"Town"}));

    TComponent target(nullptr);
    TextToComponent(text, &target);
    auto* back = dynamic_cast<TQELOwnership*>(target.FindComponent("Ownership1"));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Name, "");
    EXPECT_EQ(back->Town, "Bern");
}
