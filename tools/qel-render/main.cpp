// qel-render: one component or one form file rendered into a PNG, headless.
#include "PictureFiles.h"
#include "PropertyText.h"
#include "RenderCalls.h"
#include "framework/core/Application.h"
#include "framework/core/DateUtils.h"
#include "framework/core/FormFiles.h"
#include "framework/core/Packages.h"
#include "framework/core/SysUtils.h"
#include "framework/core/Timer.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/GuiApplication.h"
#include "framework/gui/Menus.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

#include <cstdio>
#include <memory>

using namespace qel;
using namespace qel_render;

namespace {

constexpr const char* FormName = "RenderForm";
constexpr const char* SubjectName = "Subject";

struct TOptions {
    String ClassName, FormFile, Output, Menu;
    QStringList Packages, Sets, Calls;
    int Width = 0, Height = 0, Ticks = 0;
    bool HasColor = false;
    TColor ParentColor = clBtnFace;
    std::optional<TDateTime> Now;
};

TConstantLookup ColorNames()
{
    return [](const String& Name) -> std::optional<int64_t> {
        TColor c = 0;
        if (IdentToColor(Name, c)) return c;
        return std::nullopt;
    };
}

TOptions ParseOptions(const QStringList& Args)
{
    QCommandLineParser p;
    p.setApplicationDescription("Renders one component, or one form file, into a PNG (headless).");
    p.addHelpOption();
    p.addOptions({
        {"class", "Class of the component to render (a registered control class).", "name"},
        {"form", "A form file to render instead of one component.", "file"},
        {"package", "A component library to load first (repeatable).", "lib.so"},
        {"size", "Width and height of the component, e.g. 200x60 (default: its own).", "WxH"},
        {"set", "A published property, e.g. Color=clRed, Font.Size=12, Caption=Hi, Picture=@logo.png (repeatable).",
         "Prop=Value"},
        {"call", "A public method run after the properties, e.g. Click or SetValue:42 (repeatable).",
         "Method[:arg,...]"},
        {"tick", "Fire the component's timers this many times.", "N"},
        {"menu", "With --form: render the drop-down of this menu item (by component name) instead of the form.",
         "name"},
        {"now", "The instant the framework's clock shows, \"YYYY-MM-DD HH:MM:SS\".", "time"},
        {"parent-color", "Colour of the form behind the component (default clBtnFace).", "color"},
        {{"o", "output"}, "The PNG to write.", "file"},
    });
    if (!p.parse(QStringList{"qel-render"} + Args)) throw TRenderError(p.errorText().toStdString());
    if (p.isSet("help")) {
        std::fputs(p.helpText().toUtf8().constData(), stdout);
        std::exit(0);
    }
    if (!p.positionalArguments().isEmpty())
        throw TRenderError("unexpected argument '" + p.positionalArguments().first().toStdString() + "'");
    TOptions o;
    o.ClassName = p.value("class").toStdString();
    o.FormFile = p.value("form").toStdString();
    o.Output = p.value("output").toStdString();
    o.Menu = p.value("menu").toStdString();
    if (!o.Menu.empty() && o.FormFile.empty()) throw TRenderError("--menu needs --form");
    if (o.ClassName.empty() == o.FormFile.empty()) throw TRenderError("give either --class or --form");
    if (o.Output.empty()) throw TRenderError("-o OUT.png is required");
    o.Packages = p.values("package");
    o.Sets = p.values("set");
    o.Calls = p.values("call");
    if (p.isSet("size")) {
        const QStringList wh = p.value("size").split('x');
        bool okW = false, okH = false;
        if (wh.size() == 2) {
            o.Width = wh[0].toInt(&okW);
            o.Height = wh[1].toInt(&okH);
        }
        if (!okW || !okH || o.Width <= 0 || o.Height <= 0) throw TRenderError("--size takes WxH, e.g. 200x60");
    }
    if (p.isSet("tick")) {
        bool ok = false;
        o.Ticks = p.value("tick").toInt(&ok);
        if (!ok || o.Ticks < 0) throw TRenderError("--tick takes a count");
    }
    if (p.isSet("now")) {
        o.Now = TryISOStrToDateTime(p.value("now").toStdString());
        if (!o.Now) throw TRenderError("--now takes \"YYYY-MM-DD HH:MM:SS\"");
    }
    if (p.isSet("parent-color")) {
        const auto c = ColorNames()(p.value("parent-color").toStdString());
        bool ok = c.has_value();
        o.ParentColor = c ? TColor(*c) : TColor(p.value("parent-color").toUInt(&ok, 0));
        if (!ok) throw TRenderError("--parent-color takes 0xBBGGRR or a colour name");
        o.HasColor = true;
    }
    return o;
}

// A form holding the one component, as a form file, so that every value goes through the reader.
String RenderFormText(const TOptions& O, TClass Class)
{
    QJsonObject props;
    for (const QString& set : O.Sets) {
        const int eq = set.indexOf('=');
        if (eq <= 0) throw TRenderError("--set takes Prop=Value, not '" + set.toStdString() + "'");
        if (IsPictureFile(Class, set.left(eq).toStdString(), set.mid(eq + 1).toStdString())) continue;
        AddProperty(props, Class, set.left(eq).toStdString(), set.mid(eq + 1).toStdString(), ColorNames());
    }
    // A font or colour given for the component is its own, not its parent's.
    if (props.contains("Font") && !props.contains("ParentFont")) props.insert("ParentFont", false);
    if (props.contains("Color") && !props.contains("ParentColor")) props.insert("ParentColor", false);
    props.insert("Parent", FormName);
    props.insert("Left", 0);
    props.insert("Top", 0);
    if (O.Width > 0) {
        props.insert("Width", O.Width);
        props.insert("Height", O.Height);
    }
    QJsonObject subject{{"class", QString::fromStdString(O.ClassName)}, {"name", SubjectName}, {"properties", props}};
    QJsonObject formProps{{"Color", O.ParentColor}};
    QJsonObject form{{"class", "TForm"}, {"name", FormName}, {"properties", formProps}, {"components", QJsonArray{subject}}};
    return QJsonDocument(QJsonObject{{"qelform", 1}, {"root", form}}).toJson().toStdString();
}

void FireTimers(TComponent* Component, int Ticks)
{
    for (int t = 0; t < Ticks; ++t) {
        for (int i = 0; i < Component->ComponentCount(); ++i)
            if (auto* timer = dynamic_cast<TTimer*>(Component->Components(i)); timer && timer->Enabled() && timer->OnTimer)
                timer->OnTimer(timer);
        Application->ProcessMessages();
    }
}

// Pictures named by file ("Picture=@logo.png") go into the component once it is made.
void LoadPictures(const TOptions& O, TClass Class, TControl* Subject)
{
    for (const QString& set : O.Sets) {
        const int eq = set.indexOf('=');
        const String name = set.left(eq).toStdString(), text = set.mid(eq + 1).toStdString();
        if (IsPictureFile(Class, name, text)) LoadPicture(Subject, name, text);
    }
}

std::unique_ptr<TCustomForm> MakeComponentForm(const TOptions& O)
{
    const TClass cls = GetClass(O.ClassName);
    if (!cls) throw TRenderError("unknown class " + O.ClassName + " (load its library with --package)");
    if (!cls->inherits(ClassOf<TControl>())) throw TRenderError(O.ClassName + " is not a control: nothing to render");
    std::unique_ptr<TCustomForm> form(As<TCustomForm>(TextToComponent(RenderFormText(O, cls), nullptr, nullptr)));
    auto* subject = As<TControl>(form->FindComponent(SubjectName));
    // The form is exactly as large as the component.
    form->SetClientWidth(subject->Width());
    form->SetClientHeight(subject->Height());
    LoadPictures(O, cls, subject);
    // Windows first, as on a shown form: their making repaints, which would wipe what a timer drew.
    form->HandleNeeded();
    Application->ProcessMessages();
    // A hidden window gets no paint events: paint once now, as a shown one would before its
    // timers tick, so that what they draw is not wiped by a late first Paint.
    (void)RenderForm(form.get());
    for (const QString& call : O.Calls) CallMethod(subject, call.toStdString());
    FireTimers(subject, O.Ticks);
    return form;
}

// A form's menu item opened, as the user sees it when clicking it in the menu bar.
QImage RenderMenuOf(TCustomForm* Form, const String& Name)
{
    auto* item = dynamic_cast<TMenuItem*>(Form->FindComponent(Name));
    if (!item) throw TRenderError("the form has no menu item " + Name);
    Form->HandleNeeded();
    const QImage picture = RenderMenu(item);
    if (picture.isNull()) throw TRenderError("menu item " + Name + " has no sub-items to show");
    return picture;
}

int Render(const TOptions& O)
{
    if (O.Now) SetClockOverride(*O.Now);
    for (const QString& package : O.Packages) LoadPackage(package.toStdString());
    std::unique_ptr<TCustomForm> form;
    if (!O.FormFile.empty()) {
        form.reset(As<TCustomForm>(ReadComponentFile(O.FormFile)));
        if (O.HasColor) form->SetColor(O.ParentColor);
    } else {
        form = MakeComponentForm(O);
    }
    Application->ProcessMessages();
    const QImage picture = O.Menu.empty() ? RenderForm(form.get()) : RenderMenuOf(form.get(), O.Menu);
    if (!picture.save(QString::fromStdString(O.Output), "PNG")) throw TRenderError("cannot write " + O.Output);
    std::printf("%s: %dx%d\n", O.Output.c_str(), picture.width(), picture.height());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    Application->Initialize(argc, argv);
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    try {
        return Render(ParseOptions(args));
    } catch (const TRenderError& e) {
        std::fprintf(stderr, "qel-render: %s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qel-render: %s\n", e.what());
        return 1;
    }
}
