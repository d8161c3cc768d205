#pragma once
// How published property values map to form-file (JSON) values, and which ones are stored.
#include "framework/core/Types.h"

#include <QJsonValue>
#include <QMetaProperty>
#include <QVariant>
#include <optional>
#include <vector>

namespace qel {

class TObject;

namespace FormValues {

enum class TPropertyKind {
    Simple,      // numbers, booleans, text, enumerations, sets
    Reference,   // a component elsewhere in the tree, stored by name
    Collection,  // owned TCollection, stored as its items
    Strings,     // owned TStrings, stored as its lines
    Persistent,  // other owned TPersistent, stored as its own properties
};

// The published properties a form file deals with (QObject's own are not among them).
std::vector<QMetaProperty> PublishedProperties(const QMetaObject* Meta);
TPropertyKind KindOf(const QMetaProperty& Prop);

// The object a pointer-typed property holds, or nullptr.
QObject* ObjectValue(const QMetaProperty& Prop, const QObject* Instance);
// Writes an object pointer through the property's setter; false when the types don't fit.
bool WriteObject(const QMetaProperty& Prop, QObject* Instance, QObject* Value);

// The form-storage default a class declares with Q_CLASSINFO("default:Prop", "text").
std::optional<QString> DeclaredDefault(const QMetaObject* Meta, const char* PropName);

// Whether a simple value must be written: it differs from the declared default, or, without
// one, it is not the type's empty value (text, real) or it is an ordinal (always written).
bool ShouldWriteSimple(const QMetaProperty& Prop, const QMetaObject* Meta, const QVariant& Value);

QJsonValue ToJson(const QMetaProperty& Prop, const QVariant& Value);  // EWriteError for unstorable types
QVariant FromJson(const QMetaProperty& Prop, const QJsonValue& Json);  // EReadError naming what was wrong

}  // namespace FormValues

}  // namespace qel
