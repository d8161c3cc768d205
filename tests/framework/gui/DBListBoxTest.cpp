// The data-aware list box on a real SQLite file: it shows the current record's field, follows
// record moves, writes what the user picks, and leaves the field alone when it may not write.
#include "framework/core/Application.h"
#include "framework/core/FormFiles.h"
#include "framework/gui/DBCtrls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/SqlDataSet.h"
#include "framework/gui/qt/WidgetBridge.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace qel;

namespace {

class DBListBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        const QString path = FDir.filePath("towns.db");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "towns");
            db.setDatabaseName(path);
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec("CREATE TABLE person (id INTEGER PRIMARY KEY, name TEXT, town TEXT NOT NULL)"));
            ASSERT_TRUE(q.exec("INSERT INTO person (name, town) VALUES ('Ann', 'Paris'), ('Bob', 'Rome')"));
        }
        Data = new TSQLDataSet(&Form);
        Data->SetName("People");
        Data->SetDatabaseName(path.toStdString());
        Data->SetTableName("person");
        Source = new TDataSource(&Form);
        Source->SetName("PeopleSource");
        Source->SetDataSet(Data);
        List = new TDBListBox(&Form);
        List->SetName("Towns");
        List->SetParent(&Form);
        List->SetBounds(10, 10, 120, 100);
        List->Items()->SetText("Berlin\nParis\nRome\n");
        List->SetDataSource(Source);
        List->SetDataField("town");
        Form.SetBounds(40, 40, 300, 200);
    }
    void TearDown() override
    {
        QSqlDatabase::database("towns", false).close();
        QSqlDatabase::removeDatabase("towns");
    }

    String TownInFile(const char* Name)
    {
        QSqlQuery q(QSqlDatabase::database("towns"));
        q.prepare("SELECT town FROM person WHERE name = ?");
        q.addBindValue(Name);
        return q.exec() && q.next() ? q.value(0).toString().toStdString() : String();
    }

    void ClickRow(int Index)
    {
        if (!Form.Visible()) {
            Form.Show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.Window()->OuterWidget()));
        }
        const TRect r = List->ItemRect(Index);
        QTest::mouseClick(List->Window()->ClientWidget(), Qt::LeftButton, {}, QPoint(20, (r.Top + r.Bottom) / 2));
        QCoreApplication::processEvents();
    }

    QTemporaryDir FDir;
    TForm Form{nullptr};
    TSQLDataSet* Data = nullptr;
    TDataSource* Source = nullptr;
    TDBListBox* List = nullptr;
};

}  // namespace

TEST_F(DBListBoxTest, ShowsTheFieldAndFollowsTheRecord)
{
    EXPECT_EQ(List->ItemIndex(), -1);  // closed: nothing to show
    Data->Open();
    EXPECT_EQ(List->ItemIndex(), 1);  // Ann lives in Paris
    Data->Next();
    EXPECT_EQ(List->ItemIndex(), 2);  // Bob in Rome
    Data->First();
    EXPECT_EQ(List->ItemIndex(), 1);
    Data->Close();
    EXPECT_EQ(List->ItemIndex(), -1);
}

TEST_F(DBListBoxTest, PickingAnItemWritesAndPostsTheField)
{
    Data->Open();
    Data->Next();
    int clicks = 0;
    List->OnClick = [&clicks](TObject*) { ++clicks; };
    ClickRow(0);
    EXPECT_EQ(Data->State(), dsBrowse);
    EXPECT_EQ(Data->FieldByName("town")->AsString(), "Berlin");
    EXPECT_EQ(TownInFile("Bob"), "Berlin");
    EXPECT_EQ(TownInFile("Ann"), "Paris");
    EXPECT_EQ(clicks, 1);
}

TEST_F(DBListBoxTest, ReadOnlyOrClosedLeavesTheFieldAlone)
{
    Data->Open();
    List->SetReadOnly(true);
    ClickRow(2);
    EXPECT_EQ(List->ItemIndex(), 1);  // back to what the record holds
    EXPECT_EQ(TownInFile("Ann"), "Paris");
    EXPECT_EQ(Data->State(), dsBrowse);

    List->SetReadOnly(false);
    Data->Close();
    ClickRow(2);
    EXPECT_EQ(List->ItemIndex(), -1);
    EXPECT_EQ(TownInFile("Ann"), "Paris");
}

TEST_F(DBListBoxTest, AFailedPostLeavesNothingHalfWrittenAndReportsTheError)
{
    Data->Open();
    QSqlQuery(QSqlDatabase::database("towns")).exec("CREATE TRIGGER no_berlin BEFORE UPDATE ON person "
                                                    "WHEN NEW.town = 'Berlin' BEGIN SELECT RAISE(ABORT, 'no moves to Berlin'); END");
    String reported;
    Application->OnException = [&reported](TObject*, const Exception& E) { reported = E.Message(); };
    ClickRow(0);
    Application->OnException = nullptr;
    EXPECT_NE(reported.find("no moves to Berlin"), String::npos) << reported;
    EXPECT_EQ(TownInFile("Ann"), "Paris");
    EXPECT_EQ(Data->State(), dsBrowse);
    EXPECT_EQ(List->ItemIndex(), 1);
}

TEST_F(DBListBoxTest, FormFilesKeepTheDataBinding)
{
    const String text = ComponentToText(&Form);
    EXPECT_NE(text.find("\"DataSource\": \"PeopleSource\""), String::npos) << text;
    EXPECT_NE(text.find("\"DataField\": \"town\""), String::npos);
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* list = dynamic_cast<TDBListBox*>(copy->FindComponent("Towns"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->DataSource(), copy->FindComponent("PeopleSource"));
    EXPECT_EQ(list->DataField(), "town");
}
