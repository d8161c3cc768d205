#include "framework/core/FormValues.h"

#include "framework/core/Collection.h"
#include "framework/core/Component.h"
#include "framework/core/Strings.h"

#include <QJsonArray>
#include <QMetaEnum>
#include <cmath>
#include <limits>

namespace qel {

namespace FormValues {

namespace {

bool IsPointerToObject(const QMetaType& Type)
{
    return Type.flags().testFlag(QMetaType::PointerToQObject);
}

bool IsString(const QMetaType& Type) { return Type == QMetaType::fromType<String>(); }

bool IsIntegral(const QMetaType& Type)
{
    switch (Type.id()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::Short: case QMetaType::UShort:
    case QMetaType::Long: case QMetaType::ULong: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Char: case QMetaType::SChar: case QMetaType::UChar:
        return true;
    default:
        return Type.flags().testFlag(QMetaType::IsEnumeration);
    }
}

bool IsReal(const QMetaType& Type) { return Type.id() == QMetaType::Double || Type.id() == QMetaType::Float; }

// The range an integral property type can hold, for a clean error instead of silent wrapping.
std::pair<double, double> IntegralRange(const QMetaType& Type)
{
    switch (Type.id()) {
    case QMetaType::UInt: case QMetaType::ULong: return {0, std::numeric_limits<uint32_t>::max()};
    case QMetaType::Short: return {std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()};
    case QMetaType::UShort: return {0, std::numeric_limits<uint16_t>::max()};
    case QMetaType::Char: case QMetaType::SChar: return {-128, 127};
    case QMetaType::UChar: return {0, 255};
    case QMetaType::LongLong: return {-9007199254740992.0, 9007199254740992.0};
    case QMetaType::ULongLong: return {0, 9007199254740992.0};
    default: return {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()};
    }
}

[[noreturn]] void Bad(const QString& What) { throw EReadError(What.toStdString()); }

QVariant EnumFromJson(const QMetaProperty& Prop, const QJsonValue& Json)
{
    const QMetaEnum e = Prop.enumerator();
    int value = 0;
    if (e.isFlag()) {
        if (!Json.isArray()) Bad(QStringLiteral("expected a list of %1 names").arg(e.name()));
        for (const QJsonValue& item : Json.toArray()) {
            bool ok = false;
            value |= e.keyToValue(item.toString().toUtf8().constData(), &ok);
            if (!ok || !item.isString()) Bad(QStringLiteral("'%1' is not a %2 value").arg(item.toVariant().toString(), e.name()));
        }
    } else if (Json.isDouble() && e.valueToKey(Json.toInt()) && Json.toDouble() == Json.toInt()) {
        value = Json.toInt();  // a file written while the type was stored by number
    } else {
        bool ok = false;
        value = e.keyToValue(Json.toString().toUtf8().constData(), &ok);
        if (!Json.isString() || !ok) Bad(QStringLiteral("'%1' is not a %2 value").arg(Json.toVariant().toString(), e.name()));
    }
    QVariant v(value);
    v.convert(Prop.metaType());
    return v;
}

QJsonValue EnumToJson(const QMetaProperty& Prop, const QVariant& Value)
{
    const QMetaEnum e = Prop.enumerator();
    const int v = Value.toInt();
    if (e.isFlag()) {
        QJsonArray names;
        for (int i = 0; i < e.keyCount(); ++i)
            if (e.value(i) != 0 && (v & e.value(i)) == e.value(i)) names.append(QString::fromLatin1(e.key(i)));
        return names;
    }
    const char* key = e.valueToKey(v);
    if (!key) throw EWriteError("Value " + std::to_string(v) + " is not a " + e.name() + " value");
    return QString::fromLatin1(key);
}

QVariant IntegralFromJson(const QMetaProperty& Prop, const QJsonValue& Json)
{
    const double d = Json.toDouble();
    const auto [lo, hi] = IntegralRange(Prop.metaType());
    if (!Json.isDouble() || std::floor(d) != d) Bad(QStringLiteral("expected an integer"));
    if (d < lo || d > hi) Bad(QStringLiteral("%1 is out of range").arg(d, 0, 'f', 0));
    QVariant v(static_cast<qlonglong>(d));
    v.convert(Prop.metaType());
    return v;
}

}  // namespace

std::vector<QMetaProperty> PublishedProperties(const QMetaObject* Meta)
{
    std::vector<QMetaProperty> props;
    for (int i = QObject::staticMetaObject.propertyCount(); i < Meta->propertyCount(); ++i) {
        const QMetaProperty p = Meta->property(i);
        // A subclass may publish a property again (to change its storage): only its own counts.
        if (Meta->indexOfProperty(p.name()) == i) props.push_back(p);
    }
    return props;
}

TPropertyKind KindOf(const QMetaProperty& Prop)
{
    const QMetaType type = Prop.metaType();
    if (!IsPointerToObject(type)) return TPropertyKind::Simple;
    const QMetaObject* meta = type.metaObject();
    if (meta && meta->inherits(ClassOf<TComponent>())) return TPropertyKind::Reference;
    if (meta && meta->inherits(ClassOf<TCollection>())) return TPropertyKind::Collection;
    if (meta && meta->inherits(ClassOf<TStrings>())) return TPropertyKind::Strings;
    return TPropertyKind::Persistent;
}

QObject* ObjectValue(const QMetaProperty& Prop, const QObject* Instance)
{
    const QVariant v = Prop.read(Instance);
    if (!v.isValid() || !IsPointerToObject(v.metaType())) return nullptr;
    return *static_cast<QObject* const*>(v.constData());
}

bool WriteObject(const QMetaProperty& Prop, QObject* Instance, QObject* Value)
{
    const QMetaObject* wanted = Prop.metaType().metaObject();
    if (Value && wanted && !Value->metaObject()->inherits(wanted)) return false;
    // Our classes have QObject as their first base, so the pointer value is the same for every type.
    return Prop.write(Instance, QVariant(Prop.metaType(), &Value));
}

std::optional<QString> DeclaredDefault(const QMetaObject* Meta, const char* PropName)
{
    const QByteArray key = QByteArray("default:") + PropName;
    const int index = Meta->indexOfClassInfo(key.constData());
    if (index < 0) return std::nullopt;
    return QString::fromUtf8(Meta->classInfo(index).value());
}

bool ShouldWriteSimple(const QMetaProperty& Prop, const QMetaObject* Meta, const QVariant& Value)
{
    const QMetaType type = Prop.metaType();
    const auto def = DeclaredDefault(Meta, Prop.name());
    if (!def) {
        if (IsString(type)) return !Value.value<String>().empty();
        if (type.id() == QMetaType::QString) return !Value.toString().isEmpty();
        if (IsReal(type)) return Value.toDouble() != 0.0;
        return true;
    }
    if (IsString(type)) return Value.value<String>() != def->toStdString();
    if (Prop.isEnumType()) {
        const QMetaEnum e = Prop.enumerator();
        bool ok = false;
        // An empty default of a set is the empty set (Qt's keysToValue refuses "").
        const bool emptySet = e.isFlag() && def->trimmed().isEmpty();
        const int d = emptySet ? (ok = true, 0)
                      : e.isFlag() ? e.keysToValue(def->toUtf8().constData(), &ok)
                                   : e.keyToValue(def->toUtf8().constData(), &ok);
        return !ok || Value.toInt() != d;
    }
    if (type.id() == QMetaType::Bool) return Value.toBool() != (def->compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0);
    if (IsIntegral(type)) {
        bool ok = false;
        const qlonglong d = def->toLongLong(&ok, 0);
        return !ok || Value.toLongLong() != d;
    }
    if (IsReal(type)) return Value.toDouble() != def->toDouble();
    QVariant d(*def);
    return !d.convert(type) || d != Value;
}

QJsonValue ToJson(const QMetaProperty& Prop, const QVariant& Value)
{
    const QMetaType type = Prop.metaType();
    if (Prop.isEnumType()) return EnumToJson(Prop, Value);
    if (IsString(type)) return QString::fromStdString(Value.value<String>());
    if (type.id() == QMetaType::Bool) return Value.toBool();
    if (IsIntegral(type)) return static_cast<double>(Value.toLongLong());
    if (IsReal(type)) return Value.toDouble();
    if (Value.canConvert<QString>()) return Value.toString();
    throw EWriteError(String("Property ") + Prop.name() + " has a type a form file cannot hold: " + type.name());
}

QVariant FromJson(const QMetaProperty& Prop, const QJsonValue& Json)
{
    const QMetaType type = Prop.metaType();
    if (Prop.isEnumType()) return EnumFromJson(Prop, Json);
    if (IsString(type)) {
        if (!Json.isString()) Bad(QStringLiteral("expected a text"));
        return QVariant::fromValue(Json.toString().toStdString());
    }
    if (type.id() == QMetaType::Bool) {
        if (!Json.isBool()) Bad(QStringLiteral("expected true or false"));
        return Json.toBool();
    }
    if (IsIntegral(type)) return IntegralFromJson(Prop, Json);
    if (IsReal(type)) {
        if (!Json.isDouble()) Bad(QStringLiteral("expected a number"));
        return Json.toDouble();
    }
    QVariant v = Json.toVariant();
    if (!v.convert(type)) Bad(QStringLiteral("cannot convert to %1").arg(QString::fromLatin1(type.name())));
    return v;
}

}  // namespace FormValues

}  // namespace qel
