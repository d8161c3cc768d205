#include "framework/gui/qt/AppBridge.h"

#include "framework/gui/GuiApplication.h"
#include "framework/gui/qt/WidgetBridge.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QMessageBox>

namespace qel::Bridge {

std::unique_ptr<QCoreApplication> MakeGuiApplication(int& argc, char** argv)
{
    return std::make_unique<QApplication>(argc, argv);
}

bool IsGuiApplication() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

void SetApplicationIcon(const QImage& Image)
{
    if (!IsGuiApplication()) return;
    QApplication::setWindowIcon(Image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(Image)));
    ShowApplicationIcon();
}

namespace {

struct TButtonSet {
    QMessageBox::StandardButtons Buttons;
    std::vector<std::pair<QMessageBox::StandardButton, int>> Results;
};

TButtonSet ButtonsOf(uint32_t Flags)
{
    using B = QMessageBox;
    switch (Flags & 0xF) {
    case MB_OKCANCEL: return {B::Ok | B::Cancel, {{B::Ok, IDOK}, {B::Cancel, IDCANCEL}}};
    case MB_ABORTRETRYIGNORE: return {B::Abort | B::Retry | B::Ignore, {{B::Abort, IDABORT}, {B::Retry, IDRETRY}, {B::Ignore, IDIGNORE}}};
    case MB_YESNOCANCEL: return {B::Yes | B::No | B::Cancel, {{B::Yes, IDYES}, {B::No, IDNO}, {B::Cancel, IDCANCEL}}};
    case MB_YESNO: return {B::Yes | B::No, {{B::Yes, IDYES}, {B::No, IDNO}}};
    case MB_RETRYCANCEL: return {B::Retry | B::Cancel, {{B::Retry, IDRETRY}, {B::Cancel, IDCANCEL}}};
    default: return {B::Ok, {{B::Ok, IDOK}}};
    }
}

QMessageBox::Icon IconOf(uint32_t Flags)
{
    switch (Flags & 0xF0) {
    case MB_ICONHAND: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONASTERISK: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

}  // namespace

int ShowMessageBox(const String& Text, const String& Caption, uint32_t Flags)
{
    const TButtonSet set = ButtonsOf(Flags);
    QMessageBox box(IconOf(Flags), QString::fromStdString(Caption), QString::fromStdString(Text), set.Buttons);
    const size_t def = (Flags & MB_DEFBUTTON3) ? 2 : (Flags & MB_DEFBUTTON2) ? 1 : 0;
    if (def < set.Results.size()) box.setDefaultButton(set.Results[def].first);
    const int clicked = box.exec();
    for (const auto& [button, result] : set.Results)
        if (clicked == button) return result;
    return set.Results.size() > 1 && (Flags & 0xF) != MB_YESNO ? IDCANCEL : set.Results.front().second;
}

}  // namespace qel::Bridge
