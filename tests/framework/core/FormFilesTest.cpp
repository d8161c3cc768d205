#include "tests/framework/TestComponents.h"
#include "framework/core/FormFiles.h"
#include "framework/core/Timer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qel;

namespace {

// A form: a root with two things referring to each other, items, lines and a timer.
std::unique_ptr<TTestThing> MakeForm()
{
    auto root = std::make_unique<TTestThing>(nullptr);
    root->SetName("Form1");
    auto* a = new TTestThing(root.get());
    a->SetName("Alpha");
    a->SetCaption("first");
    a->Count = 5;
    a->Active = false;
    a->Mode = TTestThing::mdFast;
    a->Options = TTestThing::opBold | TTestThing::opUnder;
    a->Secret = "never stored";
    a->Lines()->SetText("line one\nline two");
    auto* item = static_cast<TTestItem*>(a->Items()->Add());
    item->Caption = "it0";
    item->Secret = "hidden";
    static_cast<TTestItem*>(a->Items()->Add())->SetValue(42);
    auto* b = new TTestThing(root.get());
    b->SetName("Beta");
    a->SetBuddy(b);
    b->SetBuddy(a);
    auto* timer = new TTimer(root.get());
    timer->SetName("Timer1");
    timer->SetInterval(250);
    new TTestThing(a);  // unnamed: an internal part of Alpha, not written
    return root;
}

QJsonObject Props(const String& text, int child)
{
    const QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(text)).object()["root"].toObject();
    return root["components"].toArray()[child].toObject()["properties"].toObject();
}

}  // namespace

TEST(FormFiles, WritesOnlyWhatDiffersFromDefaultsAndNeverTheUnstored)
{
    auto form = MakeForm();
    const String text = ComponentToText(form.get());
    const QJsonObject alpha = Props(text, 0);
    EXPECT_EQ(alpha["Caption"].toString(), "first");
    EXPECT_EQ(alpha["Count"].toInt(), 5);
    EXPECT_EQ(alpha["Active"].toBool(true), false);
    EXPECT_EQ(alpha["Mode"].toString(), "mdFast");
    EXPECT_EQ(alpha["Options"].toArray().size(), 2);
    EXPECT_EQ(alpha["Buddy"].toString(), "Beta");
    EXPECT_FALSE(alpha.contains("Secret"));
    EXPECT_FALSE(alpha.contains("Port"));   // equals its default
    EXPECT_FALSE(alpha.contains("Tag"));
    EXPECT_FALSE(alpha.contains("Name"));   // the name is the entry's own
    const QJsonArray items = alpha["Items"].toArray();
    ASSERT_EQ(items.size(), 2);
    EXPECT_FALSE(items[0].toObject().contains("Value"));
    EXPECT_FALSE(items[0].toObject().contains("Secret"));
    EXPECT_EQ(items[1].toObject()["Value"].toInt(), 42);

    const QJsonObject beta = Props(text, 1);
    EXPECT_EQ(beta.keys(), QStringList({"Buddy", "Options"}));  // a set without declared default is always written
    EXPECT_EQ(Props(text, 2)["Interval"].toInt(), 250);
    EXPECT_EQ(text.find("never stored"), String::npos);
    const QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(text)).object()["root"].toObject();
    EXPECT_EQ(root["components"].toArray().size(), 3);  // the unnamed internal part stays out

    TQuietThing quiet(nullptr);
    quiet.SetCaption("not for the file");
    EXPECT_EQ(ComponentToText(&quiet).find("not for the file"), String::npos);
}

TEST(FormFiles, RoundTripRebuildsTheTreeThroughSetters)
{
    QTemporaryDir dir;
    const String file = dir.filePath("form.json").toStdString();
    auto form = MakeForm();
    WriteComponentFile(file, form.get());

    std::unique_ptr<TComponent> back(ReadComponentFile(file));
    auto* root = dynamic_cast<TTestThing*>(back.get());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->Name(), "Form1");
    auto* a = dynamic_cast<TTestThing*>(root->FindComponent("Alpha"));
    auto* b = dynamic_cast<TTestThing*>(root->FindComponent("Beta"));
    auto* timer = dynamic_cast<TTimer*>(root->FindComponent("Timer1"));
    ASSERT_TRUE(a && b && timer);
    EXPECT_EQ(a->Caption(), "first");
    EXPECT_EQ(a->Count, 5);
    EXPECT_FALSE(a->Active);
    EXPECT_EQ(a->Mode, TTestThing::mdFast);
    EXPECT_EQ(a->Options, TTestThing::opBold | TTestThing::opUnder);
    EXPECT_EQ(a->Secret, "");
    EXPECT_EQ(a->Lines()->Text(), "line one\nline two\n");
    ASSERT_EQ(a->Items()->Count(), 2);
    EXPECT_EQ(static_cast<TTestItem*>(a->Items()->Items(0))->Caption, "it0");
    EXPECT_EQ(static_cast<TTestItem*>(a->Items()->Items(1))->Value(), 42);
    EXPECT_EQ(static_cast<TTestItem*>(a->Items()->Items(1))->SetterCalls, 1);
    EXPECT_EQ(a->Buddy(), b);
    EXPECT_EQ(b->Buddy(), a);
    EXPECT_EQ(timer->Interval(), 250u);
    EXPECT_FALSE(a->ComponentState().Contains(csLoading));

    // Setters ran during the read, references were set after every component existed, Loaded last.
    EXPECT_EQ(a->Log, (std::vector<String>{"SetCaption first", "SetBuddy Beta", "Loaded"}));
    EXPECT_EQ(root->Log.back(), "Loaded");

    // The references still work as references: freeing Beta clears Alpha's.
    delete b;
    EXPECT_EQ(a->Buddy(), nullptr);
}

TEST(FormFiles, ReadsIntoAnExistingRoot)
{
    auto form = MakeForm();
    const String text = ComponentToText(form.get());
    TTestThing target(nullptr);
    auto* existing = new TTestThing(&target);
    existing->SetName("Alpha");
    EXPECT_EQ(TextToComponent(text, &target), &target);
    EXPECT_EQ(target.FindComponent("Alpha"), existing);  // filled, not duplicated
    EXPECT_EQ(existing->Caption(), "first");
    EXPECT_EQ(target.ComponentCount(), 3);
}

TEST(FormFiles, MalformedFilesAreRejectedWithoutLeftovers)
{
    auto form = MakeForm();
    const String good = ComponentToText(form.get());
    auto expectError = [&](const String& text, const String& fragment) {
        TTestThing target(nullptr);
        target.SetName("Form1");
        try {
            TextToComponent(text, &target);
            ADD_FAILURE() << "no exception for " << fragment;
        } catch (const EReadError& e) {
            EXPECT_NE(String(e.what()).find(fragment), String::npos) << e.what();
        }
        EXPECT_EQ(target.ComponentCount(), 0) << fragment;  // nothing half-built stays behind
        EXPECT_FALSE(target.ComponentState().Contains(csLoading));
    };
    auto replaced = [&](const String& from, const String& to) {
        String t = good;
        t.replace(t.find(from), from.size(), to);
        return t;
    };

    expectError(good.substr(0, good.size() / 2), "at line ");
    expectError("{\n\"qelform\": 1,\n\"root\": {\n  \"class\": \"TTestThing\",,\n}}", "at line 4");
    expectError("[]", "object was expected");
    expectError("{\"qelform\": 2, \"root\": {}}", "Not a form file");
    expectError(replaced("\"Count\": 5", "\"Count\": \"five\""), "Form1.Alpha.Count: expected an integer");
    expectError(replaced("\"Count\": 5", "\"Count\": 5.5"), "Alpha.Count");
    expectError(replaced("\"Mode\": \"mdFast\"", "\"Mode\": \"mdWarp\""), "Alpha.Mode");
    expectError(replaced("\"Count\": 5", "\"Countx\": 5"), "Alpha.Countx: property does not exist");
    expectError(replaced("\"Count\": 5", "\"Secret\": \"x\""), "Alpha.Secret: property is not stored");
    expectError(replaced("\"Buddy\": \"Beta\"", "\"Buddy\": \"Gamma\""), "component Gamma not found");
    expectError(replaced("\"Interval\": 250", "\"Interval\": -1"), "Timer1.Interval");
    expectError(replaced("\"class\": \"TTimer\"", "\"class\": \"TNoSuch\""), "class TNoSuch not found");
    expectError(replaced("\"name\": \"Beta\"", "\"name\": \"Be ta\""), "not a valid component name");
    expectError(replaced("\"Value\": 42", "\"Value\": 99999999999"), "out of range");

    // A file whose root class cannot be created leaves nothing at all.
    EXPECT_THROW(TextToComponent(replaced("\"class\": \"TTestThing\"", "\"class\": \"TNoSuch\"")), EReadError);
}
