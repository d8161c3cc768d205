// Forms: form files with nested controls, stored layouts, window flags and modal runs.
#include "framework/core/FormFiles.h"
#include "framework/core/Timer.h"
#include "framework/gui/Buttons.h"
#include "framework/gui/ComCtrls.h"
#include "framework/gui/DBCtrls.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/ExtCtrls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Grids.h"
#include "framework/gui/GuiApplication.h"
#include "framework/gui/Menus.h"
#include "framework/gui/SqlDataSet.h"
#include "framework/gui/StdCtrls.h"
#include "framework/gui/qt/WidgetBridge.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QPixmap>
#include <QWidget>

#include <type_traits>

#include <gtest/gtest.h>

using namespace qel;

namespace qel {

// A form class with a designed layout compiled into the program; events wired in code.
class TLayoutTestForm : public TForm {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TLayoutTestForm(TComponent* AOwner) : TForm(AOwner)
    {
        LoadFormLayout(this, ":/forms/TLayoutTestForm.qelform");
        TopPanel = As<TPanel>(FindComponent("TopPanel"));
        NameLabel = As<TLabel>(FindComponent("NameLabel"));
        TopPanel->OnClick = [this](TObject*) { ++PanelClicks; };
    }
    TPanel* TopPanel = nullptr;
    TLabel* NameLabel = nullptr;
    int PanelClicks = 0;
};

QEL_REGISTER_CLASS(TLayoutTestForm);

}  // namespace qel

namespace {

TForm* MakeNestedForm()
{
    auto* form = new TForm(nullptr);
    form->SetName("Form1");
    form->SetCaption("Nested");
    form->SetClientWidth(200);
    form->SetClientHeight(120);
    auto* panel = new TPanel(form);
    panel->SetName("Panel1");
    panel->SetParent(form);
    panel->SetBounds(10, 10, 150, 80);
    panel->SetBevelOuter(bvLowered);
    auto* label = new TLabel(form);
    label->SetName("Label1");
    label->SetParent(panel);
    label->SetBounds(5, 5, 60, 15);
    label->SetCaption("In panel");
    auto* bevel = new TBevel(form);
    bevel->SetName("Bevel1");
    bevel->SetParent(panel);
    bevel->SetBounds(5, 30, 100, 2);
    bevel->SetShape(bsTopLine);
    return form;
}

}  // namespace

TEST(FormFiles, AFormWithNestedControlsComesBackWithItsParentsAndProperties)
{
    std::unique_ptr<TForm> form(MakeNestedForm());
    const String text = ComponentToText(form.get());
    EXPECT_NE(String::npos, text.find("\"Parent\": \"Panel1\""));
    EXPECT_NE(String::npos, text.find("\"Shape\": \"bsTopLine\""));
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* f = As<TForm>(copy.get());
    auto* panel = As<TPanel>(f->FindComponent("Panel1"));
    auto* label = As<TLabel>(f->FindComponent("Label1"));
    auto* bevel = As<TBevel>(f->FindComponent("Bevel1"));
    EXPECT_EQ(f, panel->Parent());
    EXPECT_EQ(panel, label->Parent());
    EXPECT_EQ(panel, bevel->Parent());
    EXPECT_EQ(2, panel->ControlCount());
    EXPECT_EQ(label, panel->Controls(0));
    EXPECT_EQ(Rect(10, 10, 160, 90), panel->BoundsRect());
    EXPECT_EQ(bvLowered, panel->BevelOuter());
    EXPECT_EQ("In panel", label->Caption());
    EXPECT_EQ(bsTopLine, bevel->Shape());
    EXPECT_EQ(200, f->ClientWidth());
    EXPECT_EQ(text, ComponentToText(f));
    // Same pixels as the original.
    EXPECT_EQ(RenderForm(form.get()), RenderForm(f));
}

TEST(FormFiles, AStoredLayoutBuildsTheFormInItsConstructor)
{
    TLayoutTestForm form(nullptr);
    EXPECT_EQ("Stored layout", form.Caption());
    EXPECT_EQ(240, form.ClientWidth());
    EXPECT_EQ(bsDialog, form.BorderStyle());
    ASSERT_NE(nullptr, form.TopPanel);
    EXPECT_EQ(Rect(0, 0, 240, 40), form.TopPanel->BoundsRect());
    EXPECT_EQ(form.TopPanel, form.NameLabel->Parent());
    EXPECT_EQ("Name:", form.NameLabel->Caption());
    form.TopPanel->Click();
    EXPECT_EQ(1, form.PanelClicks);
    const QImage img = RenderForm(&form);
    EXPECT_EQ(QSize(240, 160), img.size());
}

TEST(Forms, BorderStylesAndIconsBecomeWindowFlags)
{
    TForm form(nullptr);
    form.HandleNeeded();
    QWidget* w = form.Window()->OuterWidget();
    EXPECT_TRUE(w->isWindow());
    EXPECT_TRUE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_NE(w->minimumSize(), w->maximumSize());
    form.SetBorderStyle(bsDialog);
    w = form.Window()->OuterWidget();
    EXPECT_EQ(Qt::Dialog, w->windowFlags() & Qt::WindowType_Mask);
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    form.SetBorderIcons({});
    EXPECT_FALSE(form.Window()->OuterWidget()->windowFlags() & Qt::WindowCloseButtonHint);
    form.SetBorderStyle(bsToolWindow);
    EXPECT_EQ(Qt::Tool, form.Window()->OuterWidget()->windowFlags() & Qt::WindowType_Mask);
    form.SetBorderStyle(bsNone);
    EXPECT_TRUE(form.Window()->OuterWidget()->windowFlags() & Qt::FramelessWindowHint);
    form.SetFormStyle(fsStayOnTop);
    EXPECT_TRUE(form.Window()->OuterWidget()->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST(Forms, ScreenCenterPlacesTheFormInTheMiddle)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 100);
    form.SetPosition(poScreenCenter);
    form.Show();
    const QRect g = form.Window()->OuterWidget()->geometry();
    EXPECT_NEAR(400, g.center().x(), 2);  // the offscreen screen is 800 x 800
    EXPECT_EQ(form.Left(), g.x());
}

TEST(Forms, AModalFormEndsWhenATimerSetsItsResult)
{
    TForm form(nullptr);
    TTimer timer(nullptr);
    timer.SetInterval(30);
    int ticks = 0;
    timer.OnTimer = [&](TObject*) {
        if (++ticks == 3) form.SetModalResult(mrOk);
    };
    bool shown = false;
    form.OnShow = [&](TObject*) { shown = true; };
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(mrOk, form.ShowModal());
    EXPECT_TRUE(shown);
    EXPECT_EQ(3, ticks);
    EXPECT_FALSE(form.Visible());
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST(Forms, CloseQueryCanRefuseAndCloseHidesAndCloseInAModalRunCancels)
{
    TForm form(nullptr);
    bool allow = false;
    std::vector<TCloseAction> actions;
    form.OnCloseQuery = [&](TObject*, bool& CanClose) { CanClose = allow; };
    form.OnClose = [&](TObject*, TCloseAction& A) { actions.push_back(A); };
    form.Show();
    form.Window()->Close();  // as the user would
    EXPECT_TRUE(form.Visible());
    allow = true;
    form.Window()->Close();
    EXPECT_FALSE(form.Visible());
    ASSERT_EQ(1u, actions.size());
    EXPECT_EQ(caHide, actions[0]);
    TTimer timer(nullptr);
    timer.SetInterval(20);
    timer.OnTimer = [&](TObject*) { form.Close(); };
    EXPECT_EQ(mrCancel, form.ShowModal());
}
namespace {

QImage SolidImage(QRgb Color)
{
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(Color);
    return img;
}

QRgb IconColour(QWidget* W) { return W->windowIcon().pixmap(16, 16).toImage().pixel(8, 8); }

}  // namespace

TEST(Forms, DefaultPositionsCascadeAndDesignedOnesStay)
{
    TForm first(nullptr), second(nullptr), designed(nullptr);
    for (TForm* f : {&first, &second}) {
        f->SetBounds(0, 0, 200, 100);
        f->SetPosition(poDefault);
        f->Show();
    }
    EXPECT_EQ(24, second.Left() - first.Left());
    EXPECT_EQ(24, second.Top() - first.Top());
    EXPECT_GT(first.Left(), 0);
    EXPECT_EQ(second.Left(), second.Window()->OuterWidget()->geometry().x());
    designed.SetBounds(37, 41, 200, 100);
    designed.Show();
    EXPECT_EQ(37, designed.Left());
    EXPECT_EQ(41, designed.Window()->OuterWidget()->geometry().y());
}

TEST(Forms, TheApplicationIconShowsUntilTheFormHasItsOwn)
{
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
    GuiApplication().Icon()->SetIcon(QIcon(QPixmap::fromImage(SolidImage(red))));
    TForm form(nullptr);
    form.HandleNeeded();
    QWidget* w = form.Window()->OuterWidget();
    EXPECT_EQ(red, IconColour(w));
    form.Icon()->SetIcon(QIcon(QPixmap::fromImage(SolidImage(blue))));
    EXPECT_EQ(blue, IconColour(w));
    form.Icon()->SetData("");
    EXPECT_EQ(red, IconColour(w));
    GuiApplication().Icon()->SetIcon(QIcon());
    EXPECT_TRUE(w->windowIcon().isNull());
}

TEST(FormFiles, AFormsIconIsStoredAndADefaultFontIsNot)
{
    TForm form(nullptr);
    form.SetName("IconForm");
    auto* label = new TLabel(&form);
    label->SetName("Label1");
    label->SetParent(&form);
    EXPECT_EQ(String::npos, ComponentToText(&form).find("\"Icon\""));
    form.Icon()->SetIcon(QIcon(QPixmap::fromImage(SolidImage(qRgb(0, 0, 255)))));
    const String text = ComponentToText(&form);
    EXPECT_NE(String::npos, text.find("\"Data\""));
    EXPECT_EQ(String::npos, text.find("\"Style\""));  // nothing about fonts left at their defaults
    EXPECT_EQ(String::npos, text.find("\"Font\""));
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* f = As<TForm>(copy.get());
    ASSERT_FALSE(f->Icon()->Empty());
    EXPECT_EQ(form.Icon()->Width(), f->Icon()->Width());
    EXPECT_EQ(form.Icon()->ToImage(), f->Icon()->ToImage());
    EXPECT_EQ(text, ComponentToText(f));
    // A styled font is still written and read.
    label->Font()->SetStyle(TFontStyles{fsBold});
    const String bold = ComponentToText(&form);
    EXPECT_NE(String::npos, bold.find("fsBold"));
    std::unique_ptr<TComponent> boldCopy(TextToComponent(bold));
    EXPECT_TRUE(As<TLabel>(boldCopy->FindComponent("Label1"))->Font()->Style().Contains(fsBold));
}

TEST(FormFiles, AColourOrFontTakenFromTheParentIsNotWrittenAndStaysTheParents)
{
    TForm form(nullptr);
    form.SetName("ColourForm");
    form.SetColor(clYellow);
    form.Font()->SetHeight(-20);
    auto* label = new TLabel(&form);  // takes colour and font from the form
    label->SetName("Inherits");
    label->SetParent(&form);
    auto* own = new TLabel(&form);
    own->SetName("Own");
    own->SetParent(&form);
    own->SetColor(clAqua);
    const String text = ComponentToText(&form);
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* inherits = As<TLabel>(copy->FindComponent("Inherits"));
    EXPECT_TRUE(inherits->ParentColor());
    EXPECT_TRUE(inherits->ParentFont());
    EXPECT_EQ(inherits->Color(), clYellow);
    EXPECT_EQ(inherits->Font()->Height(), -20);
    EXPECT_FALSE(As<TLabel>(copy->FindComponent("Own"))->ParentColor());
    EXPECT_EQ(As<TLabel>(copy->FindComponent("Own"))->Color(), clAqua);
    // Written again, nothing changed: a read does not turn inherited values into own ones.
    EXPECT_EQ(text, ComponentToText(copy.get()));
}

namespace {

template <class T>
T* Place(TForm* Form, const char* Name, int32_t Top = -1)
{
    auto* c = new T(Form);
    c->SetName(Name);
    if constexpr (std::is_base_of_v<TControl, T>) {
        c->SetParent(Form);
        if (Top >= 0) c->SetBounds(8, Top, 120, 24);
    }
    return c;
}

TMenuItem* MenuItem(TForm* Form, TMenuItem* Parent, const char* Name, const char* Caption, TShortCut Key = 0)
{
    auto* item = Place<TMenuItem>(Form, Name);
    item->SetCaption(Caption);
    item->SetShortCut(Key);
    Parent->Add(item);
    return item;
}

void AddMenu(TForm* Form)
{
    auto* menu = Place<TMainMenu>(Form, "MainMenu1");
    TMenuItem* file = MenuItem(Form, menu->Items(), "File1", "&File");
    MenuItem(Form, file, "Open1", "&Open...", scCtrl | 'O');
    MenuItem(Form, file, "Save1", "&Save", scCtrl | scShift | 'S');
    MenuItem(Form, file, "Secret1", "Secret")->SetVisible(false);
    TMenuItem* view = MenuItem(Form, menu->Items(), "View1", "&View");
    for (const char* name : {"Small1", "Large1"}) {
        TMenuItem* size = MenuItem(Form, view, name, name);
        size->SetRadioItem(true);
        size->SetAutoCheck(true);
        size->SetGroupIndex(3);
    }
    As<TMenuItem>(Form->FindComponent("Large1"))->SetChecked(true);
    Form->SetMenu(menu);
}

void AddDialogs(TForm* Form, const String& DataFile)
{
    auto* open = Place<TOpenDialog>(Form, "OpenDialog1");
    open->SetTitle("Pick files");
    open->SetFilter("Text|*.txt|All|*");
    open->SetFilterIndex(2);
    open->SetDefaultExt("txt");
    open->SetOptions(TOpenDialog::ofAllowMultiSelect | TOpenDialog::ofFileMustExist);
    auto* save = Place<TSaveDialog>(Form, "SaveDialog1");
    save->SetFileName("out.txt");
    save->SetOptions(TOpenDialog::ofOverwritePrompt);
    auto* font = Place<TFontDialog>(Form, "FontDialog1");
    font->Font()->SetName("Courier New");
    font->SetMinFontSize(8);
    font->SetMaxFontSize(24);
    font->SetDevice(TFontDialog::fdBoth);
    font->SetOptions(TFontDialog::fdEffects | TFontDialog::fdLimitSize);
    auto* colour = Place<TColorDialog>(Form, "ColorDialog1");
    colour->SetColor(clRed);
    colour->SetOptions(TColorDialog::cdFullOpen);
    colour->CustomColors()->SetText("ColorA=FF00FF\n");
    auto* print = Place<TPrintDialog>(Form, "PrintDialog1");
    print->SetOptions(TPrintDialog::poPageNums | TPrintDialog::poSelection);
    print->SetPrintRange(TPrintDialog::prPageNums);
    print->SetMinPage(1);
    print->SetMaxPage(9);
    print->SetFromPage(2);
    print->SetToPage(3);
    print->SetCopies(2);
    auto* data = Place<TSQLDataSet>(Form, "People");
    data->SetDatabaseName(DataFile);
    data->SetTableName("person");
    Place<TDataSource>(Form, "PeopleSource")->SetDataSet(data);
}

void AddControls(TForm* Form)
{
    Place<TButton>(Form, "Button1", 0)->SetCaption("Go");
    auto* bit = Place<TBitBtn>(Form, "BitBtn1", 30);
    bit->SetKind(bkYes);
    bit->SetLayout(blGlyphRight);
    bit->SetSpacing(6);
    auto* speed = Place<TSpeedButton>(Form, "SpeedButton1", 60);
    speed->SetGroupIndex(1);
    speed->SetAllowAllUp(true);
    speed->SetDown(true);
    speed->SetFlat(true);
    auto* edit = Place<TEdit>(Form, "Edit1", 90);
    edit->SetText("größer");
    edit->SetMaxLength(12);
    Place<TMemo>(Form, "Memo1", 120)->Lines()->SetText("one\ntwo\n");
    Place<TRichEdit>(Form, "RichEdit1", 150)->Lines()->Add("rich line");
    auto* list = Place<TListBox>(Form, "ListBox1", 180);
    list->Items()->SetText("b\na\n");
    list->SetMultiSelect(true);
    auto* grid = Place<TStringGrid>(Form, "StringGrid1", 210);
    grid->SetColCount(3);
    grid->SetRowCount(2);
    grid->SetCell(1, 0, "head");
    grid->SetCell(2, 1, "x=y");
    auto* status = Place<TStatusBar>(Form, "StatusBar1");
    for (const char* text : {"Ready", "Line 1"}) {
        TStatusPanel* panel = status->Panels()->Add();
        panel->SetText(text);
        panel->SetWidth(90);
    }
    status->Panels()->Items(1)->SetAlignment(TControl::taCenter);
    auto* progress = Place<TProgressBar>(Form, "ProgressBar1", 240);
    progress->SetMax(50);
    progress->SetPosition(20);
    progress->SetStep(5);
    auto* db = Place<TDBListBox>(Form, "Towns", 270);
    db->Items()->SetText("Berlin\nParis\n");
    db->SetDataSource(As<TDataSource>(Form->FindComponent("PeopleSource")));
    db->SetDataField("town");
}

}  // namespace

TEST(FormFiles, AFormWithAMenuTheStandardDialogsAndOneOfEachControlWritesTheSameTextAfterARead)
{
    TForm form(nullptr);
    form.SetName("Everything");
    form.SetBounds(20, 20, 400, 360);
    AddMenu(&form);
    AddDialogs(&form, "/nonexistent/towns.db");
    AddControls(&form);
    const String text = ComponentToText(&form);
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* f = As<TForm>(copy.get());
    ASSERT_NE(nullptr, f);
    EXPECT_EQ(text, ComponentToText(f));

    // Menu: tree, shortcuts, the radio group and the hidden item.
    ASSERT_NE(nullptr, f->Menu());
    TMenuItem* root = f->Menu()->Items();
    ASSERT_EQ(2, root->Count());
    ASSERT_EQ(3, root->Items(0)->Count());
    EXPECT_EQ(scCtrl | scShift | 'S', root->Items(0)->Items(1)->ShortCut());
    EXPECT_FALSE(root->Items(0)->Items(2)->Visible());
    TMenuItem* small = As<TMenuItem>(f->FindComponent("Small1"));
    TMenuItem* large = As<TMenuItem>(f->FindComponent("Large1"));
    EXPECT_TRUE(small->RadioItem() && large->RadioItem());
    EXPECT_EQ(3, small->GroupIndex());
    EXPECT_TRUE(large->Checked());
    small->Click();  // the group still works after the read
    EXPECT_TRUE(small->Checked());
    EXPECT_FALSE(large->Checked());

    // Dialogs keep their non-default options.
    auto* open = As<TOpenDialog>(f->FindComponent("OpenDialog1"));
    EXPECT_EQ(TOpenDialog::TOpenOptions(TOpenDialog::ofAllowMultiSelect | TOpenDialog::ofFileMustExist), open->Options());
    EXPECT_EQ(2, open->FilterIndex());
    EXPECT_EQ("Pick files", open->Title());
    EXPECT_EQ("out.txt", As<TSaveDialog>(f->FindComponent("SaveDialog1"))->FileName());
    auto* font = As<TFontDialog>(f->FindComponent("FontDialog1"));
    EXPECT_EQ("Courier New", font->Font()->Name());
    EXPECT_EQ(24, font->MaxFontSize());
    EXPECT_EQ(TFontDialog::fdBoth, font->Device());
    auto* colour = As<TColorDialog>(f->FindComponent("ColorDialog1"));
    EXPECT_EQ(clRed, colour->Color());
    EXPECT_EQ("ColorA=FF00FF", colour->CustomColors()->Strings(0));
    auto* print = As<TPrintDialog>(f->FindComponent("PrintDialog1"));
    EXPECT_EQ(TPrintDialog::prPageNums, print->PrintRange());
    EXPECT_EQ(3, print->ToPage());
    EXPECT_EQ(2, print->Copies());

    // Controls.
    EXPECT_EQ(bkYes, As<TBitBtn>(f->FindComponent("BitBtn1"))->Kind());
    EXPECT_TRUE(As<TSpeedButton>(f->FindComponent("SpeedButton1"))->Down());
    EXPECT_EQ("größer", As<TEdit>(f->FindComponent("Edit1"))->Text());
    EXPECT_EQ("two", As<TMemo>(f->FindComponent("Memo1"))->Lines()->Strings(1));
    EXPECT_EQ("rich line", As<TRichEdit>(f->FindComponent("RichEdit1"))->Lines()->Strings(0));
    EXPECT_EQ("a", As<TListBox>(f->FindComponent("ListBox1"))->Items()->Strings(1));
    EXPECT_EQ("x=y", As<TStringGrid>(f->FindComponent("StringGrid1"))->Cells(2, 1));
    auto* status = As<TStatusBar>(f->FindComponent("StatusBar1"));
    ASSERT_EQ(2, status->Panels()->Count());
    EXPECT_EQ("Line 1", status->Panels()->Items(1)->Text());
    EXPECT_EQ(TControl::taCenter, status->Panels()->Items(1)->Alignment());
    EXPECT_EQ(20, As<TProgressBar>(f->FindComponent("ProgressBar1"))->Position());
    auto* db = As<TDBListBox>(f->FindComponent("Towns"));
    EXPECT_EQ(f->FindComponent("PeopleSource"), db->DataSource());
    EXPECT_EQ(f->FindComponent("People"), As<TDataSource>(db->DataSource())->DataSet());
    EXPECT_EQ("person", As<TSQLDataSet>(f->FindComponent("People"))->TableName());
}

#include "FormsTest.moc"
