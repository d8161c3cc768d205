#pragma once
// The showcase window: every qelwidgets component live on one form.
#include "framework/gui/Forms.h"

#include <QTemporaryDir>

namespace qel {
class TButton;
class TDataSource;
class TQELClock;
class TQELDice;
class TQELDigital;
class TQELLogWindow;
class TQELSpeakerSound;
class TLabel;
class TSQLDataSet;
class TTimer;
}  // namespace qel

namespace qel_showcase {

class TShowcaseForm : public qel::TForm {
public:
    explicit TShowcaseForm(qel::TComponent* AOwner);

private:
    void MakeDisplays();
    void MakePictures();
    void MakeMenu();
    void MakeLists();
    void MakeDataList();
    void MakeUtilities();
    void OpenLogWindow();
    void WriteRtf();
    void PlayTune();
    void RollDice(qel::TObject* Sender);

    QTemporaryDir FDataDir;  // the sample database lives as long as the window
    qel::TQELDice* FDice[2] = {};
    qel::TQELDigital* FCounter = nullptr;
    qel::TTimer* FCounterTimer = nullptr;
    qel::TSQLDataSet* FPeople = nullptr;
    qel::TQELLogWindow* FLog = nullptr;
    qel::TTimer* FLogTimer = nullptr;
    qel::TQELSpeakerSound* FSpeaker = nullptr;
    qel::TLabel* FStatus = nullptr;
};

}  // namespace qel_showcase
