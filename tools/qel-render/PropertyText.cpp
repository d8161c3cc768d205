#include "PropertyText.h"

#include "framework/core/Classes.h"

#include <QJsonArray>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QStringList>

namespace qel_render {

namespace {

[[noreturn]] void Refuse(const QMetaObject* Meta, const String& Name, const String& What)
{
    throw TRenderError(ClassNameOf(Meta) + "." + Name + ": " + What);
}

QMetaProperty FindProperty(const QMetaObject* Meta, const String& Name)
{
    const int index = Meta->indexOfProperty(Name.c_str());
    if (index < QObject::staticMetaObject.propertyCount()) Refuse(Meta, Name, "no such published property");
    return Meta->property(index);
}

QString KeysOf(const QMetaEnum& E)
{
    QStringList keys;
    for (int i = 0; i < E.keyCount(); ++i) keys << E.key(i);
    return keys.join(", ");
}

QJsonValue EnumJson(const QMetaProperty& Prop, const String& Text)
{
    const QMetaEnum e = Prop.enumerator();
    QJsonArray names;
    const QStringList parts = e.isFlag() ? QString::fromStdString(Text).split(',', Qt::SkipEmptyParts)
                                         : QStringList{QString::fromStdString(Text)};
    for (const QString& part : parts) {
        bool ok = false;
        e.keyToValue(part.trimmed().toUtf8().constData(), &ok);
        if (!ok) throw TRenderError("'" + part.toStdString() + "' is not one of " + KeysOf(e).toStdString());
        names.append(part.trimmed());
    }
    return e.isFlag() ? QJsonValue(names) : names.first();
}

std::optional<int64_t> ParseInteger(const String& Text, const TConstantLookup& Constants)
{
    bool ok = false;
    const QString t = QString::fromStdString(Text).trimmed();
    qlonglong v = t.startsWith("0x", Qt::CaseInsensitive) ? t.mid(2).toLongLong(&ok, 16)
                  : t.startsWith('$')                     ? t.mid(1).toLongLong(&ok, 16)
                                                          : t.toLongLong(&ok, 10);
    if (ok) return v;
    return Constants ? Constants(t.toStdString()) : std::nullopt;
}

QJsonValue SimpleJson(const QMetaProperty& Prop, const String& Text, const TConstantLookup& Constants)
{
    if (Prop.isEnumType()) return EnumJson(Prop, Text);
    const int id = Prop.metaType().id();
    if (id == QMetaType::Bool) {
        if (Text == "true" || Text == "1") return true;
        if (Text == "false" || Text == "0") return false;
        throw TRenderError("'" + Text + "' is not true or false");
    }
    if (id == QMetaType::Double || id == QMetaType::Float) {
        bool ok = false;
        const double d = QString::fromStdString(Text).toDouble(&ok);
        if (!ok) throw TRenderError("'" + Text + "' is not a number");
        return d;
    }
    if (Prop.metaType() == QMetaType::fromType<std::string>()) return QString::fromStdString(Text);
    if (const auto v = ParseInteger(Text, Constants)) return static_cast<double>(*v);
    throw TRenderError("'" + Text + "' is not a number or a known constant");
}

}  // namespace

void AddProperty(QJsonObject& Properties, const QMetaObject* Meta, const String& Name, const String& Text,
                 const TConstantLookup& Constants)
{
    const size_t dot = Name.find('.');
    const QMetaProperty prop = FindProperty(Meta, Name.substr(0, dot));
    const QString key = QString::fromLatin1(prop.name());
    // An enumeration's meta type names its class too: only object pointers have properties inside.
    const bool object = prop.metaType().flags().testFlag(QMetaType::PointerToQObject);
    const QMetaObject* inner = object ? prop.metaType().metaObject() : nullptr;
    if (dot != String::npos) {
        if (!inner) Refuse(Meta, Name.substr(0, dot), "holds no object with properties");
        QJsonObject nested = Properties.value(key).toObject();
        AddProperty(nested, inner, Name.substr(dot + 1), Text, Constants);
        Properties.insert(key, nested);
        return;
    }
    if (!prop.isStored() && !inner) {
        Refuse(Meta, Name, "is not stored in form files; set the property it derives from");
    }
    try {
        if (inner && inner->inherits(ClassOf<TStrings>())) {
            Properties.insert(key, QJsonArray::fromStringList(QString::fromStdString(Text).split("\\n")));
        } else if (inner) {
            Refuse(Meta, Name, "is an object: set its properties (" + Name + ".X=...)");
        } else {
            Properties.insert(key, SimpleJson(prop, Text, Constants));
        }
    } catch (const TRenderError& E) {
        if (String(E.what()).rfind(ClassNameOf(Meta), 0) == 0) throw;
        Refuse(Meta, Name, E.what());
    }
}

}  // namespace qel_render
