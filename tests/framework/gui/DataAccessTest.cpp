#include "framework/gui/DB.h"
#include "framework/gui/SqlDataSet.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace qel;

namespace {

// A real SQLite file with three cities, and a second connection to check what reached the disk.
class DataAccessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        FPath = FDir.filePath("cities.db").toStdString();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
            db.setDatabaseName(QString::fromStdString(FPath));
            ASSERT_TRUE(db.open());
        }
        Exec("CREATE TABLE city (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, population INTEGER,"
             " area REAL, capital BOOLEAN)");
        Exec("INSERT INTO city (name, population, area, capital) VALUES ('Paris', 2100, 105.4, 1),"
             " ('Rome', 2800, 1285.0, 1), ('Lyon', 520, 47.9, 0)");
        FData = std::make_unique<TSQLDataSet>(nullptr);
        FData->SetName("Cities");
        FData->SetDatabaseName(FPath);
        FData->SetTableName("city");
    }

    void TearDown() override
    {
        FData.reset();
        QSqlDatabase::database("check", false).close();
        QSqlDatabase::removeDatabase("check");
    }

    static void Exec(const QString& Sql)
    {
        QSqlQuery q(QSqlDatabase::database("check"));
        ASSERT_TRUE(q.exec(Sql)) << Sql.toStdString();
    }

    static QVariant Scalar(const QString& Sql)
    {
        QSqlQuery q(QSqlDatabase::database("check"));
        if (!q.exec(Sql) || !q.next()) return {};
        return q.value(0);
    }

    QTemporaryDir FDir;
    String FPath;
    std::unique_ptr<TSQLDataSet> FData;
};

}  // namespace

TEST_F(DataAccessTest, OpenLoadsRowsAndScrollsWithBofEof)
{
    EXPECT_EQ(FData->State(), dsInactive);
    FData->Open();
    EXPECT_EQ(FData->State(), dsBrowse);
    EXPECT_EQ(FData->RecordCount(), 3);
    EXPECT_EQ(FData->RecNo(), 1);
    EXPECT_TRUE(FData->Bof());
    EXPECT_FALSE(FData->Eof());
    FData->Next();
    FData->Next();
    EXPECT_EQ(FData->FieldByName("name")->AsString(), "Lyon");
    EXPECT_FALSE(FData->Eof());
    FData->Next();
    EXPECT_TRUE(FData->Eof());
    EXPECT_EQ(FData->RecNo(), 3);
    FData->Prior();
    EXPECT_EQ(FData->RecNo(), 2);
    EXPECT_FALSE(FData->Eof());
    FData->First();
    FData->Prior();
    EXPECT_TRUE(FData->Bof());
    EXPECT_EQ(FData->RecNo(), 1);
    FData->Last();
    EXPECT_TRUE(FData->Eof());
    EXPECT_EQ(FData->FieldByName("NAME")->AsString(), "Lyon");
    FData->Close();
    EXPECT_FALSE(FData->Active());
    EXPECT_EQ(FData->FieldCount(), 0);
}

TEST_F(DataAccessTest, FieldsHaveNamesTypesAndValues)
{
    FData->Open();
    ASSERT_EQ(FData->FieldCount(), 5);  // the rowid stays hidden
    EXPECT_EQ(FData->Fields(0)->FieldName(), "id");
    EXPECT_EQ(FData->FieldByName("name")->DataType(), ftString);
    EXPECT_EQ(FData->FieldByName("population")->DataType(), ftInteger);
    EXPECT_EQ(FData->FieldByName("area")->DataType(), ftFloat);
    EXPECT_EQ(FData->FieldByName("capital")->DataType(), ftBoolean);
    FData->Next();
    EXPECT_EQ(FData->FieldByName("population")->AsInteger(), 2800);
    EXPECT_DOUBLE_EQ(FData->FieldByName("area")->AsFloat(), 1285.0);
    EXPECT_TRUE(FData->FieldByName("capital")->AsBoolean());
    EXPECT_FALSE(FData->FieldByName("name")->IsNull());
    EXPECT_EQ(FData->FindField("nope"), nullptr);
    EXPECT_THROW(FData->Fields(5), EListError);
    try {
        FData->FieldByName("nope");
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(e.Message().find("'nope'"), String::npos) << e.Message();
    }
}

TEST_F(DataAccessTest, EditPostWritesAndCancelRestores)
{
    FData->Open();
    TField* name = FData->FieldByName("name");
    try {
        name->SetAsString("Nowhere");
        FAIL() << "written in browse mode";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(e.Message().find("not in edit or insert mode"), String::npos) << e.Message();
    }
    FData->Edit();
    EXPECT_EQ(FData->State(), dsEdit);
    name->SetAsString("Lutetia");
    FData->FieldByName("population")->Clear();
    EXPECT_TRUE(FData->Modified());
    FData->Post();
    EXPECT_EQ(FData->State(), dsBrowse);
    EXPECT_EQ(Scalar("SELECT name FROM city WHERE id = 1").toString(), "Lutetia");
    EXPECT_TRUE(Scalar("SELECT population FROM city WHERE id = 1").isNull());

    FData->Edit();
    name->SetAsString("Changed");
    FData->Cancel();
    EXPECT_EQ(name->AsString(), "Lutetia");
    EXPECT_EQ(Scalar("SELECT name FROM city WHERE id = 1").toString(), "Lutetia");

    FData->Close();
    FData->Open();
    EXPECT_EQ(FData->FieldByName("name")->AsString(), "Lutetia");
}

TEST_F(DataAccessTest, InsertGetsGeneratedKeyAndDeleteRemovesRow)
{
    FData->Open();
    FData->Append();
    EXPECT_EQ(FData->State(), dsInsert);
    FData->FieldByName("name")->SetAsString("Oslo");
    FData->FieldByName("population")->SetAsInteger(700);
    FData->Post();
    EXPECT_EQ(FData->RecordCount(), 4);
    EXPECT_EQ(FData->RecNo(), 4);
    EXPECT_EQ(FData->FieldByName("id")->AsInteger(), 4);  // read back after the write
    EXPECT_EQ(Scalar("SELECT population FROM city WHERE name = 'Oslo'").toInt(), 700);

    FData->First();
    FData->Insert();  // a cancelled insert leaves no trace
    FData->FieldByName("name")->SetAsString("Ghost");
    FData->Cancel();
    EXPECT_EQ(FData->RecordCount(), 4);
    EXPECT_EQ(FData->FieldByName("name")->AsString(), "Paris");

    FData->Delete();
    EXPECT_EQ(FData->RecordCount(), 3);
    EXPECT_EQ(FData->FieldByName("name")->AsString(), "Rome");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM city").toInt(), 3);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM city WHERE name = 'Paris'").toInt(), 0);
}

TEST_F(DataAccessTest, ConstraintViolationKeepsEditingAndWritesNothing)
{
    FData->Open();
    FData->Append();
    FData->FieldByName("name")->SetAsString("Paris");
    FData->FieldByName("population")->SetAsInteger(1);
    try {
        FData->Post();
        FAIL() << "duplicate accepted";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(e.Message().find("UNIQUE"), String::npos) << e.Message();
    }
    EXPECT_EQ(FData->State(), dsInsert);
    EXPECT_EQ(FData->FieldByName("name")->AsString(), "Paris");
    EXPECT_EQ(FData->RecordCount(), 3);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM city").toInt(), 3);
    FData->Cancel();

    FData->Edit();
    FData->FieldByName("name")->Clear();
    FData->FieldByName("population")->SetAsInteger(5);
    try {
        FData->Post();
        FAIL() << "NULL name accepted";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(e.Message().find("NOT NULL"), String::npos) << e.Message();
    }
    EXPECT_EQ(FData->State(), dsEdit);
    EXPECT_EQ(Scalar("SELECT population FROM city WHERE id = 1").toInt(), 2100);
    FData->Cancel();
    EXPECT_EQ(FData->FieldByName("name")->AsString(), "Paris");
}

TEST_F(DataAccessTest, SelectStatementWritesByPrimaryKeyAndBadSqlFails)
{
    FData->SetSQL("SELECT id, name FROM city WHERE population > 1000 ORDER BY name DESC");
    FData->Open();
    ASSERT_EQ(FData->RecordCount(), 2);
    EXPECT_EQ(FData->FieldByName("name")->AsString(), "Rome");
    FData->Edit();
    FData->FieldByName("name")->SetAsString("Roma");
    FData->Post();
    EXPECT_EQ(Scalar("SELECT name FROM city WHERE id = 2").toString(), "Roma");
    EXPECT_THROW(FData->SetSQL("SELECT 1"), EDatabaseError);
    FData->Close();

    FData->SetTableName("");
    FData->Open();
    FData->Edit();
    FData->FieldByName("name")->SetAsString("Rome");
    EXPECT_THROW(FData->Post(), EDatabaseError);  // no table to write to
    FData->Cancel();
    FData->Close();

    FData->SetSQL("SELECT * FROM nowhere");
    try {
        FData->Open();
        FAIL() << "opened";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(e.Message().find("no such table"), String::npos) << e.Message();
    }
    EXPECT_FALSE(FData->Active());
    FData->SetDriverName("QNOSUCHDRIVER");
    EXPECT_THROW(FData->Open(), EDatabaseError);
}

TEST_F(DataAccessTest, EventsComeInOrder)
{
    std::vector<String> log;
    auto rec = [&](const char* Name) { return [&log, Name](TDataSet*) { log.push_back(Name); }; };
    FData->BeforeOpen = rec("BeforeOpen");
    FData->AfterOpen = rec("AfterOpen");
    FData->BeforeScroll = rec("BeforeScroll");
    FData->AfterScroll = rec("AfterScroll");
    FData->OnNewRecord = [&](TDataSet* D) {
        log.push_back("OnNewRecord");
        D->FieldByName("name")->SetAsString("Bern");  // defaults may be written here
    };
    FData->BeforePost = rec("BeforePost");
    FData->AfterPost = rec("AfterPost");
    FData->BeforeDelete = rec("BeforeDelete");
    FData->AfterDelete = rec("AfterDelete");
    FData->BeforeClose = rec("BeforeClose");
    FData->AfterClose = rec("AfterClose");
    FData->Open();
    FData->Next();
    FData->Append();
    FData->Last();  // leaving the new record posts it first
    FData->Delete();
    FData->Close();
    const std::vector<String> expected{"BeforeOpen", "AfterOpen", "BeforeScroll", "AfterScroll", "OnNewRecord",
        "BeforePost", "AfterPost", "BeforeScroll", "AfterScroll", "BeforeDelete", "AfterDelete", "BeforeClose",
        "AfterClose"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM city WHERE name = 'Bern'").toInt(), 0);
}

TEST_F(DataAccessTest, SourceAndLinksHearOfScrollEditPostAndState)
{
    TDataSource source(nullptr);
    TDataLink link;
    std::vector<String> log;
    link.OnActiveChanged = [&] { log.push_back("active"); };
    link.OnActiveRecordChanged = [&] { log.push_back("scroll"); };
    link.OnDataSetChanged = [&] { log.push_back("dataset"); };
    link.OnEditingChanged = [&] { log.push_back(link.Editing() ? "editing" : "browsing"); };
    link.OnRecordChanged = [&](TField* F) { log.push_back("field " + (F ? F->FieldName() : String())); };
    int dataChanges = 0;
    int stateChanges = 0;
    source.OnDataChange = [&](TObject*, TField*) { ++dataChanges; };
    source.OnStateChange = [&](TObject*) { ++stateChanges; };
    link.SetDataSource(&source);
    source.SetDataSet(FData.get());
    EXPECT_FALSE(link.Active());
    EXPECT_FALSE(link.Edit());
    log.clear();
    dataChanges = stateChanges = 0;

    FData->Open();
    EXPECT_TRUE(link.Active());
    EXPECT_EQ(source.State(), dsBrowse);
    FData->Next();
    EXPECT_TRUE(link.Edit());
    EXPECT_EQ(FData->State(), dsEdit);
    FData->FieldByName("name")->SetAsString("Roma");
    FData->Post();
    EXPECT_EQ((std::vector<String>{"active", "dataset", "scroll", "editing", "field name", "browsing", "dataset"}), log);
    EXPECT_EQ(stateChanges, 3);  // open, edit, post
    EXPECT_EQ(dataChanges, 4);   // open, scroll, field, post

    log.clear();
    source.SetEnabled(false);
    FData->Next();
    EXPECT_FALSE(link.Active());
    link.SetReadOnly(true);
    source.SetEnabled(true);
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(FData->State(), dsBrowse);
    EXPECT_EQ((std::vector<String>{"active", "dataset", "active", "dataset"}), log);

    FData.reset();  // the source forgets a data set that goes away
    EXPECT_EQ(source.DataSet(), nullptr);
    EXPECT_FALSE(link.Active());
    {
        TDataSource gone(nullptr);
        link.SetDataSource(&gone);
    }
    EXPECT_EQ(link.DataSource(), nullptr);
}

TEST_F(DataAccessTest, RemovingTheDataSetFromItsOwnerClearsTheSource)
{
    TComponent form(nullptr);
    auto* data = new TSQLDataSet(&form);
    data->SetDatabaseName(FPath);
    data->SetTableName("city");
    auto* source = new TDataSource(&form);
    source->SetDataSet(data);
    data->Open();
    EXPECT_EQ(source->State(), dsBrowse);
    delete data;
    EXPECT_EQ(source->DataSet(), nullptr);
    EXPECT_EQ(source->State(), dsInactive);
}
