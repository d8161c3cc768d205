#pragma once
// TSQLDataSet: a data set over a Qt SQL connection of its own (SQLite by default).
#include "framework/gui/DB.h"

class QSqlDatabase;
class QSqlQuery;

namespace qel {

class QEL_GUI_EXPORT TSQLDataSet : public TDataSet {
    Q_OBJECT
    Q_PROPERTY(String DatabaseName READ DatabaseName WRITE SetDatabaseName)
    Q_PROPERTY(String DriverName READ DriverName WRITE SetDriverName)
    Q_PROPERTY(String TableName READ TableName WRITE SetTableName)
    Q_PROPERTY(String SQL READ SQL WRITE SetSQL)
    Q_CLASSINFO("default:DriverName", "QSQLITE")
public:
    Q_INVOKABLE explicit TSQLDataSet(TComponent* AOwner);
    ~TSQLDataSet() override;

    // A file path, or ":memory:" for SQLite.
    const String& DatabaseName() const { return FDatabaseName; }
    void SetDatabaseName(const String& Value) { CheckInactive(); FDatabaseName = Value; }
    // Any Qt SQL driver by name.
    const String& DriverName() const { return FDriverName; }
    void SetDriverName(const String& Value) { CheckInactive(); FDriverName = Value; }
    // The table rows are written to; read whole unless SQL is set.
    const String& TableName() const { return FTableName; }
    void SetTableName(const String& Value) { CheckInactive(); FTableName = Value; }
    // A select statement; without TableName the data set is read-only.
    const String& SQL() const { return FSQL; }
    void SetSQL(const String& Value) { CheckInactive(); FSQL = Value; }

protected:
    void InternalOpen() override;
    void InternalClose() override;
    void InternalPost(TDataRecord& Rec, const TDataRecord* Old, bool Inserting) override;
    void InternalDelete(const TDataRecord& Rec) override;

private:
    void CheckInactive() const;
    QSqlDatabase Connection() const;
    void CheckWritable() const;
    bool UsesRowId() const;
    QString SelectText() const;
    QString KeyCondition() const;
    void BindKey(QSqlQuery& Query, const TDataRecord& Rec) const;
    void Refresh(QSqlDatabase& Db, TDataRecord& Rec) const;
    template <class Work> void InTransaction(Work&& Body);

    String FDatabaseName;
    String FDriverName = "QSQLITE";
    String FTableName;
    String FSQL;
    QString FConnection;
    std::vector<int> FKeyFields;  // primary-key columns, when the driver reports them
};

}  // namespace qel
