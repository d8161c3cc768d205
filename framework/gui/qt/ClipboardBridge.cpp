#include "framework/gui/qt/ClipboardBridge.h"

#include <QClipboard>
#include <QGuiApplication>

namespace qel::Bridge {

String ClipboardText()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return String();
    return QGuiApplication::clipboard()->text().toStdString();
}

void SetClipboardText(const String& Value)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    QGuiApplication::clipboard()->setText(QString::fromStdString(Value));
}

}  // namespace qel::Bridge
