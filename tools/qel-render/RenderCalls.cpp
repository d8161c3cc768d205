#include "RenderCalls.h"

#include "framework/core/Object.h"

#include <QMetaMethod>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace qel_render {

namespace {

// The argument as a value of the parameter's type, or an invalid QVariant when it does not fit.
QVariant Argument(const QString& Text, QMetaType Type)
{
    if (Type == QMetaType::fromType<std::string>()) return QVariant::fromValue(Text.toStdString());
    QVariant v(Text.trimmed());
    if (Type.id() == QMetaType::Bool) {
        if (Text == "true" || Text == "1") return true;
        if (Text == "false" || Text == "0") return false;
        return {};
    }
    return v.convert(Type) ? v : QVariant();
}

}  // namespace

void CallMethod(TObject* Target, const String& Call)
{
    const QString text = QString::fromStdString(Call);
    const int colon = text.indexOf(':');
    const QByteArray name = (colon < 0 ? text : text.left(colon)).toLatin1();
    const QStringList args = colon < 0 ? QStringList() : text.mid(colon + 1).split(',');
    const QMetaObject* meta = Target->metaObject();
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod m = meta->method(i);
        if (m.name() != name || m.parameterCount() != args.size()) continue;
        std::vector<QVariant> values;
        for (int k = 0; k < args.size(); ++k) values.push_back(Argument(args[k], m.parameterMetaType(k)));
        bool fit = true;
        for (const QVariant& v : values) fit = fit && v.isValid();
        if (!fit) continue;
        QGenericArgument a[10];
        for (size_t k = 0; k < values.size() && k < 10; ++k) a[k] = QGenericArgument(values[k].typeName(), values[k].constData());
        if (m.invoke(Target, Qt::DirectConnection, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9])) return;
    }
    throw TRenderError(Target->ClassName() + " has no invokable method " + Call);
}

}  // namespace qel_render
