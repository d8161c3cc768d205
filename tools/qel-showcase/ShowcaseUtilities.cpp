// The showcase's row of utility components: windows of their own, a written file and a tune.
#include "ShowcaseForm.h"

#include "framework/core/Timer.h"
#include "framework/gui/StdCtrls.h"
#include "widgets/QELAboutDialog.h"
#include "widgets/QELLogWindow.h"
#include "widgets/QELQuickInfo.h"
#include "widgets/QELRTFFile.h"
#include "widgets/QELSpeakerSound.h"

#include <QSysInfo>
#include <QTime>

using namespace qel;

namespace qel_showcase {

namespace {

TButton* UtilityButton(TWinControl* Parent, int32_t Left, const String& Caption)
{
    auto* button = new TButton(Parent);
    button->SetParent(Parent);
    button->SetBounds(Left, 436, 100, 26);
    button->SetCaption(Caption);
    return button;
}

}  // namespace

void TShowcaseForm::MakeUtilities()
{
    FStatus = new TLabel(this);
    FStatus->SetParent(this);
    FStatus->SetBounds(10, 412, 640, 16);

    FLog = new TQELLogWindow(this);
    FLog->SetLogWindowCaption("Showcase log");
    FLog->SetWindowWidth(420);
    FLog->SetWindowHeight(260);
    FLog->OnExecute = [this](TObject*) {
        FLog->Log("The log window opened at " + QTime::currentTime().toString().toStdString() + ".");
        FLogTimer->SetEnabled(true);
    };
    FLogTimer = new TTimer(this);
    FLogTimer->SetEnabled(false);
    FLogTimer->SetInterval(700);
    // Log does nothing once the window is closed, so the timer may outlive it by a tick.
    FLogTimer->OnTimer = [this](TObject*) { FLog->Log("Tick at " + QTime::currentTime().toString().toStdString()); };
    UtilityButton(this, 10, "Log window")->OnClick = [this](TObject*) { OpenLogWindow(); };

    auto* info = new TQELQuickInfo(this);
    info->InfoboxCaption = "About the showcase";
    UtilityButton(this, 118, "Info box")->OnClick = [info](TObject*) { info->Execute(); };

    auto* about = new TQELAboutDialog(this);
    about->VersionDescription = "Showcase 1.0";
    about->ActualInformation()->SetText("qel-showcase\nevery qelwidgets component in one window\n");
    about->SystemInformation()->SetText(QSysInfo::prettyProductName().toStdString() + "\nQt " + qVersion() +
                                        "\n" + QSysInfo::currentCpuArchitecture().toStdString() + "\n");
    UtilityButton(this, 226, "About")->OnClick = [about](TObject*) { about->Execute(); };

    UtilityButton(this, 334, "Write RTF")->OnClick = [this](TObject*) { WriteRtf(); };
    FSpeaker = new TQELSpeakerSound(this);
    UtilityButton(this, 442, "Play a tune")->OnClick = [this](TObject*) { PlayTune(); };
}

void TShowcaseForm::OpenLogWindow()
{
    FLog->execute();
    FLogTimer->SetEnabled(false);
}

void TShowcaseForm::WriteRtf()
{
    TQELRTFFile rtf(nullptr);
    rtf.Filename = FDataDir.filePath(QStringLiteral("showcase")).toStdString();
    TStrings* t = rtf.Text();
    t->Add(TQELRTFFile::AddFont(0, 32) + TQELRTFFile::AddBold(true) + " qelwidgets showcase" + TQELRTFFile::AddBold(false));
    t->Add(TQELRTFFile::AddEnter() + TQELRTFFile::AddPlain() + TQELRTFFile::AddFont(1, 20) +
           "Written by " + TQELRTFFile::AddUnder("TQELRTFFile") + " with a footnote" +
           TQELRTFFile::AddFootnote("1", "Footnotes, hidden text and page breaks are fragments too."));
    t->Add(TQELRTFFile::AddEnter() + TQELRTFFile::AddDUnder("Double underlined") + TQELRTFFile::AddHidden(" hidden"));
    rtf.Execute();
    FStatus->SetCaption("Wrote " + rtf.Filename + ".rtf");
}

void TShowcaseForm::PlayTune()
{
    // C, E, G, C: a rising chord, one note after the other.
    for (uint16_t freq : {523, 659, 784, 1047}) {
        FSpeaker->Sound(freq);
        FSpeaker->Delay(180);
    }
    FSpeaker->NoSound();
    FStatus->SetCaption("Played four notes on the speaker (emulated where there is none).");
}

}  // namespace qel_showcase
