// TSQLDataSet: loads every row on open and writes one record per transaction.
#include "framework/gui/SqlDataSet.h"
#include "framework/core/Application.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>

#include <atomic>

namespace qel {

QEL_REGISTER_CLASS(TSQLDataSet);

namespace {

TFieldType FieldTypeOf(const QMetaType& Type)
{
    switch (Type.id()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort: return ftInteger;
    case QMetaType::Double: case QMetaType::Float: return ftFloat;
    case QMetaType::Bool: return ftBoolean;
    case QMetaType::QDate: case QMetaType::QTime: case QMetaType::QDateTime: return ftDateTime;
    case QMetaType::QByteArray: return ftBlob;
    case QMetaType::QString: return ftString;
    default: return ftUnknown;
    }
}

[[noreturn]] void Fail(const QSqlError& Error)
{
    throw EDatabaseError(Error.text().toStdString());
}

}  // namespace

TSQLDataSet::TSQLDataSet(TComponent* AOwner) : TDataSet(AOwner)
{
    static std::atomic<int> counter{0};
    FConnection = QStringLiteral("qel-dataset-%1").arg(++counter);
}

TSQLDataSet::~TSQLDataSet()
{
    Destroying();
    CloseCursor();
}

void TSQLDataSet::CheckInactive() const
{
    if (Active()) throw EDatabaseError(Name() + ": Cannot perform this operation on an open dataset");
}

QSqlDatabase TSQLDataSet::Connection() const { return QSqlDatabase::database(FConnection, false); }

bool TSQLDataSet::UsesRowId() const
{
    return FSQL.empty() && !FTableName.empty() && Connection().driverName() == QLatin1String("QSQLITE");
}

QString TSQLDataSet::SelectText() const
{
    if (!FSQL.empty()) return QString::fromStdString(FSQL);
    const QString table = Connection().driver()->escapeIdentifier(QString::fromStdString(FTableName), QSqlDriver::TableName);
    return (UsesRowId() ? QStringLiteral("SELECT rowid, * FROM ") : QStringLiteral("SELECT * FROM ")) + table;
}

void TSQLDataSet::InternalOpen()
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QString::fromStdString(FDriverName), FConnection);
        db.setDatabaseName(QString::fromStdString(FDatabaseName));
        if (!db.isValid()) throw EDatabaseError("Qt SQL driver " + FDriverName + " is not available");
        if (!db.open()) Fail(db.lastError());
    }
    QSqlQuery q(Connection());
    q.setForwardOnly(true);
    if (!q.exec(SelectText())) Fail(q.lastError());
    const QSqlRecord rec = q.record();
    const int first = UsesRowId() ? 1 : 0;
    for (int i = first; i < rec.count(); ++i) AddField(rec.fieldName(i).toStdString(), FieldTypeOf(rec.field(i).metaType()));
    while (q.next()) {
        TDataRecord row;
        if (first) row.Key = q.value(0);
        for (int i = first; i < rec.count(); ++i) row.Values.push_back(q.value(i));
        AddRow(std::move(row));
    }
    FKeyFields.clear();
    if (!UsesRowId() && !FTableName.empty()) {
        const QSqlIndex pk = Connection().primaryIndex(QString::fromStdString(FTableName));
        for (int i = 0; i < pk.count(); ++i)
            if (TField* f = FindField(pk.fieldName(i).toStdString())) FKeyFields.push_back(f->Index());
    }
}

void TSQLDataSet::InternalClose()
{
    // At the process's end Qt SQL's connection list may be gone already; the process closes the file.
    if (!Application || Application->Finalizing()) return;
    Connection().close();
    QSqlDatabase::removeDatabase(FConnection);
}

void TSQLDataSet::CheckWritable() const
{
    if (FTableName.empty() || (!UsesRowId() && FKeyFields.empty()))
        throw EDatabaseError(Name() + ": Cannot modify a read-only dataset");
}

QString TSQLDataSet::KeyCondition() const
{
    if (UsesRowId()) return QStringLiteral("rowid = ?");
    QStringList parts;
    for (int i : FKeyFields)
        parts << Connection().driver()->escapeIdentifier(QString::fromStdString(Fields(i)->FieldName()), QSqlDriver::FieldName) + " = ?";
    return parts.join(QStringLiteral(" AND "));
}

void TSQLDataSet::BindKey(QSqlQuery& Query, const TDataRecord& Rec) const
{
    if (UsesRowId()) Query.addBindValue(Rec.Key);
    else
        for (int i : FKeyFields) Query.addBindValue(Rec.Values[static_cast<size_t>(i)]);
}

template <class Work>
void TSQLDataSet::InTransaction(Work&& Body)
{
    QSqlDatabase db = Connection();
    if (!db.transaction()) Fail(db.lastError());
    try {
        Body(db);
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        db.rollback();
        Fail(error);
    }
}

// Reads back what the database made of the row: defaults, generated keys, type affinity.
void TSQLDataSet::Refresh(QSqlDatabase& Db, TDataRecord& Rec) const
{
    if (!UsesRowId()) return;
    QSqlQuery q(Db);
    q.prepare(SelectText() + " WHERE rowid = ?");
    q.addBindValue(Rec.Key);
    if (!q.exec()) Fail(q.lastError());
    if (!q.next()) return;
    for (size_t i = 0; i < Rec.Values.size(); ++i) Rec.Values[i] = q.value(static_cast<int>(i) + 1);
}

void TSQLDataSet::InternalPost(TDataRecord& Rec, const TDataRecord* Old, bool Inserting)
{
    CheckWritable();
    const QSqlDriver* driver = Connection().driver();
    const QString table = driver->escapeIdentifier(QString::fromStdString(FTableName), QSqlDriver::TableName);
    InTransaction([&](QSqlDatabase& db) {
        QSqlQuery q(db);
        QStringList cols;
        QVariantList values;
        for (int i = 0; i < FieldCount(); ++i) {
            const QVariant& v = Rec.Values[static_cast<size_t>(i)];
            if (Inserting && v.isNull()) continue;  // leaves defaults and generated keys to the database
            cols << driver->escapeIdentifier(QString::fromStdString(Fields(i)->FieldName()), QSqlDriver::FieldName);
            values << v;
        }
        if (Inserting) {
            QStringList marks;
            for (qsizetype i = 0; i < cols.size(); ++i) marks << QStringLiteral("?");
            q.prepare(cols.isEmpty() ? "INSERT INTO " + table + " DEFAULT VALUES"
                                     : "INSERT INTO " + table + " (" + cols.join(',') + ") VALUES (" + marks.join(',') + ")");
        } else {
            q.prepare("UPDATE " + table + " SET " + cols.join(" = ?, ") + " = ? WHERE " + KeyCondition());
        }
        for (const QVariant& v : values) q.addBindValue(v);
        if (!Inserting) BindKey(q, *Old);
        if (!q.exec()) Fail(q.lastError());
        if (!Inserting && q.numRowsAffected() == 0) throw EDatabaseError(Name() + ": Record not found or changed by another user");
        if (Inserting && UsesRowId()) Rec.Key = q.lastInsertId();
        if (!Inserting) Rec.Key = Old->Key;
        Refresh(db, Rec);
    });
}

void TSQLDataSet::InternalDelete(const TDataRecord& Rec)
{
    CheckWritable();
    const QString table = Connection().driver()->escapeIdentifier(QString::fromStdString(FTableName), QSqlDriver::TableName);
    InTransaction([&](QSqlDatabase& db) {
        QSqlQuery q(db);
        q.prepare("DELETE FROM " + table + " WHERE " + KeyCondition());
        BindKey(q, Rec);
        if (!q.exec()) Fail(q.lastError());
    });
}

}  // namespace qel
