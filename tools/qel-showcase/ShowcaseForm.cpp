#include "ShowcaseForm.h"

#include "SamplePictures.h"
#include "framework/core/Timer.h"
#include "framework/gui/DB.h"
#include "framework/gui/Menus.h"
#include "framework/gui/SqlDataSet.h"
#include "framework/gui/StdCtrls.h"
#include "widgets/QELBevel.h"
#include "widgets/QELClock.h"
#include "widgets/QELDice.h"
#include "widgets/QELDigital.h"
#include "widgets/QELFadingLabel.h"
#include "widgets/QELImage.h"
#include "widgets/QELLed.h"
#include "widgets/QELMenuItemGlyph.h"
#include "widgets/QELWinLists.h"

#include <QSqlDatabase>
#include <QSqlQuery>

using namespace qel;

namespace qel_showcase {

namespace {

template <class T>
T* Place(TWinControl* Parent, int32_t Left, int32_t Top, int32_t Width, int32_t Height)
{
    auto* control = new T(Parent);
    control->SetParent(Parent);
    control->SetBounds(Left, Top, Width, Height);
    return control;
}

TLabel* Heading(TWinControl* Parent, int32_t Left, int32_t Top, const String& Text)
{
    auto* label = Place<TLabel>(Parent, Left, Top, 100, 16);
    label->SetCaption(Text);
    return label;
}

// A few people and the towns they live in, for the data-aware list.
void MakeSampleDatabase(const QString& Path)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("showcase-setup"));
        db.setDatabaseName(Path);
        db.open();
        QSqlQuery q(db);
        q.exec(QStringLiteral("CREATE TABLE person (id INTEGER PRIMARY KEY, name TEXT, town TEXT)"));
        q.exec(QStringLiteral("INSERT INTO person (name, town) VALUES ('Ann', 'Paris'), ('Ben', 'Rome'), "
                              "('Cleo', 'Berlin'), ('Dan', 'Madrid'), ('Eve', 'Paris')"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("showcase-setup"));
}

}  // namespace

TShowcaseForm::TShowcaseForm(TComponent* AOwner) : TForm(AOwner)
{
    SetName("Showcase");
    SetCaption("qelwidgets showcase");
    MakeMenu();  // before the size: the bar is not part of the client area
    SetClientWidth(660);
    SetClientHeight(470);
    MakeDisplays();
    MakePictures();
    MakeLists();
    MakeDataList();
    MakeUtilities();
}

void TShowcaseForm::MakeDisplays()
{
    Heading(this, 10, 8, "Clock (click: date)");
    auto* clock = Place<TQELClock>(this, 10, 26, 120, 36);
    clock->SetName("Clock");

    Heading(this, 145, 8, "Digital display");
    FCounter = Place<TQELDigital>(this, 145, 26, 120, 36);
    FCounter->setfi(0);
    FCounterTimer = new TTimer(this);
    FCounterTimer->SetInterval(250);
    FCounterTimer->OnTimer = [this](TObject*) { FCounter->setfi((FCounter->Number() + 7) % 100000); };

    Heading(this, 280, 8, "LEDs");
    auto* steady = Place<TQELLed>(this, 280, 36, 15, 15);
    steady->LedOn();
    auto* blinking = Place<TQELLed>(this, 300, 36, 15, 15);
    blinking->Setrun(true);
    auto* slow = Place<TQELLed>(this, 320, 36, 15, 15);
    slow->Setfdon(clYellow);
    slow->SetInter(700);
    slow->Setrun(true);

    Heading(this, 350, 8, "Dice (click)");
    for (int i = 0; i < 2; ++i) {
        FDice[i] = Place<TQELDice>(this, 350 + 40 * i, 26, 32, 32);
        FDice[i]->Sethback(clMaroon);
        FDice[i]->OnClick = [this](TObject* Sender) { RollDice(Sender); };
    }
    FDice[1]->SetValue(5);
    auto* hold = Place<TButton>(this, 350, 64, 72, 22);
    hold->SetCaption("Hold 2nd");
    hold->OnClick = [this](TObject*) { FDice[1]->Holdit(!FDice[1]->Hold()); };

    Heading(this, 440, 8, "Fading label");
    auto* fading = Place<TQELFadingLabel>(this, 440, 26, 210, 40);
    fading->SetCaption("Hello from qelwidgets");
    fading->Font()->SetHeight(-18);
    fading->Font()->SetColor(clNavy);
    fading->SetSpeed(40);
}

void TShowcaseForm::MakePictures()
{
    TBitmap landscape;
    DrawLandscape(landscape, 96, 72);
    Heading(this, 10, 96, "3D image: raised, sunken");
    auto* raised = Place<TQELImage>(this, 10, 114, 96, 72);
    raised->Setfbitm(&landscape);
    auto* sunken = Place<TQELImage>(this, 116, 114, 96, 72);
    sunken->SetForm(true);
    sunken->Setfbitm(&landscape);

    Heading(this, 230, 96, "Bevels");
    const TBevel::TBevelShape shapes[] = {TBevel::bsBox, TBevel::bsFrame, TBevel::bsTopLine, TBevel::bsLeftLine};
    for (int i = 0; i < 4; ++i) {
        auto* bevel = Place<TQELBevel>(this, 230 + 50 * i, 118, 40, 40);
        bevel->SetShape(shapes[i]);
        bevel->SetStyle(i % 2 ? TBevel::bsRaised : TBevel::bsLowered);
        bevel->SetHighlight(clWhite);
        bevel->SetShadow(clNavy);
    }
}

void TShowcaseForm::MakeMenu()
{
    auto* menu = new TMainMenu(this);
    auto* glyphs = new TMenuItem(this);
    glyphs->SetCaption("&Glyphs");
    menu->Items()->Add(glyphs);
    auto* toggled = new TMenuItem(this);
    toggled->SetCaption("&Toggled item (glyph per state)");
    toggled->SetAutoCheck(true);
    glyphs->Add(toggled);
    auto* plain = new TMenuItem(this);
    plain->SetCaption("&Roll the dice");
    plain->OnClick = [this](TObject*) { RollDice(nullptr); };
    glyphs->Add(plain);
    SetMenu(menu);

    TBitmap off, on;
    DrawGlyph(off, clRed, false);
    DrawGlyph(on, clGreen, true);
    auto* glyph = new TQELMenuItemGlyph(this);
    glyph->SetGlyph(&off);
    glyph->SetCheckGlyph(&on);
    glyph->SetMenuItem(toggled);
    // Refreshed while checked, so the two states keep their own pictures.
    toggled->SetChecked(true);
    glyph->Refresh();
    auto* rollGlyph = new TQELMenuItemGlyph(this);
    rollGlyph->SetGlyph(&on);
    rollGlyph->SetMenuItem(plain);
    rollGlyph->Refresh();
}

void TShowcaseForm::MakeLists()
{
    auto* list = Place<TQELWinListbox>(this, 10, 200, 190, 170);
    list->SetCaption("Framed list box");
    list->Items()->SetText("Mercury\nVenus\nEarth\nMars\nJupiter\nSaturn\nUranus\nNeptune\n");
    list->SetItemIndex(2);

    auto* grid = Place<TQELWinStringGrid>(this, 210, 200, 250, 170);
    grid->SetCaption("Framed string grid");
    grid->SetColCount(3);
    grid->SetRowCount(9);
    const char* rows[][3] = {{"Planet", "Moons", "Rings"}, {"Mercury", "0", "no"}, {"Venus", "0", "no"},
                             {"Earth", "1", "no"},        {"Mars", "2", "no"},    {"Jupiter", "95", "yes"},
                             {"Saturn", "146", "yes"},    {"Uranus", "28", "yes"}, {"Neptune", "16", "yes"}};
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 3; ++c) grid->SetCell(c, r, rows[r][c]);
}

void TShowcaseForm::MakeDataList()
{
    const QString path = FDataDir.filePath(QStringLiteral("people.sqlite"));
    MakeSampleDatabase(path);
    FPeople = new TSQLDataSet(this);
    FPeople->SetDatabaseName(path.toStdString());
    FPeople->SetTableName("person");
    auto* source = new TDataSource(this);
    source->SetDataSet(FPeople);

    auto* towns = Place<TQELWinDBListBox>(this, 470, 200, 180, 140);
    towns->SetCaption("Town of the person");
    towns->Items()->SetText("Berlin\nMadrid\nParis\nRome\n");
    towns->SetDataSource(source);
    towns->SetDataField("town");
    auto* who = Place<TLabel>(this, 470, 350, 180, 16);
    auto* next = Place<TButton>(this, 470, 372, 86, 24);
    next->SetCaption("Next person");
    auto* prior = Place<TButton>(this, 564, 372, 86, 24);
    prior->SetCaption("Previous");
    auto showWho = [this, who] { who->SetCaption("Person: " + FPeople->FieldByName("name")->AsString()); };
    next->OnClick = [this, showWho](TObject*) {
        FPeople->Next();
        if (FPeople->Eof()) FPeople->First();
        showWho();
    };
    prior->OnClick = [this, showWho](TObject*) {
        FPeople->Prior();
        showWho();
    };
    FPeople->Open();
    showWho();
}

void TShowcaseForm::RollDice(TObject*)
{
    for (TQELDice* die : FDice) die->Roll();
}

}  // namespace qel_showcase
