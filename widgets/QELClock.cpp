#include "widgets/QELClock.h"

#include "framework/core/DateUtils.h"
#include "framework/core/SysUtils.h"
#include "widgets/SevenSegment.h"

namespace qel {

namespace {

const String NotDrawn = "99";

String FirstPair(Word Value)
{
    String s = std::to_string(Value);
    return s.size() < 2 ? "0" + s : s;
}

String LaterPair(String Text)
{
    if (Text == "0" || Text.empty()) Text = "00";
    return Text.size() < 2 ? "0" + Text : Text;
}

int32_t Nearest(double Value) { return static_cast<int32_t>(RoundHalfEven(Value)); }

}  // namespace

TQELClock::TQELClock(TComponent* AOwner) : TCustomPanel(AOwner)
{
    FTimer = new TTimer(this);
    FTimer->SetInterval(100);
    FTimer->OnTimer = [this](TObject* Sender) { Setclock(Sender); };
    FTimer->SetEnabled(true);
    FShown = {NotDrawn, NotDrawn, NotDrawn};
}

TQELClock::~TQELClock()
{
    delete FTimer;
    FTimer = nullptr;
}

void TQELClock::Setcol(TColor Value)
{
    FBackColor = Value;
    Invalidate();
}

void TQELClock::Setfloat(bool Value)
{
    FDialogFrame = Value;
    RecreateWnd();
}

void TQELClock::Setdtype(TQELDateTime Value)
{
    FDisplayType = Value;
    Invalidate();
}

void TQELClock::SetCDig(TColor Value)
{
    FDigitColor = Value;
    Invalidate();
}

void TQELClock::SetCShad(TColor Value)
{
    FDigitShadowColor = Value;
    Invalidate();
}

void TQELClock::Loaded() { TCustomPanel::Loaded(); }

void TQELClock::CreateParams(TCreateParams& Params)
{
    TCustomPanel::CreateParams(Params);
    if (!FDialogFrame) return;
    Params.Style |= WS_DLGFRAME;
    SetText("Clock");
    Params.Caption = Caption();
}

TQELClock::TPairs TQELClock::CurrentPairs() const
{
    Word first = 0, second = 0, third = 0, msec = 0;
    const TDateTime now = Now();
    if (FDisplayType == dtTime) {
        DecodeTime(now, first, second, third, msec);
        return {FirstPair(first), LaterPair(std::to_string(second)), LaterPair(std::to_string(third))};
    }
    DecodeDate(now, third, second, first);
    String year = std::to_string(third);
    if (year.size() == 4) year = year.substr(2, 2);
    return {FirstPair(first), LaterPair(std::to_string(second)), LaterPair(year)};
}

void TQELClock::DrawPair(const String& Pair, int32_t X, int32_t Y, TColor ColorA, TColor ColorB)
{
    DrawDigit(*Canvas(), Pair[0] - '0', X, Y, ColorA, ColorB);
    DrawDigit(*Canvas(), Pair[1] - '0', X + 8, Y, ColorA, ColorB);
}

void TQELClock::Setclock(TObject* /*Sender*/)
{
    const int32_t x = Nearest(Width() / 2.0 - 32), y = Nearest(Height() / 2.0 - 5);
    FCurrent = CurrentPairs();
    for (size_t k = 0; k < FCurrent.size(); ++k) {
        if (FShown[k] == FCurrent[k]) continue;
        const int32_t left = x + 24 * static_cast<int32_t>(k);
        DrawPair(FShown[k], left, y, FBackColor, FBackColor);
        DrawPair(FCurrent[k], left, y, FDigitColor, FDigitShadowColor);
    }
    for (size_t k = FShown.size(); k-- > 0;) FShown[k] = FCurrent[k];
}

void TQELClock::Paint()
{
    FShown = {NotDrawn, NotDrawn, NotDrawn};
    TCustomPanel::Paint();
    const int32_t a = Nearest(Width() / 2.0 - 30), b = Nearest(Height() / 2.0 - 3);
    TCanvas* c = Canvas();
    c->Brush()->SetColor(FBackColor);
    c->Pen()->SetColor(FBackColor);
    c->Rectangle(0, 0, Width(), Height());
    c->Font()->SetName("MS Sans Serif");
    const String separator = FDisplayType == dtTime ? String(1, TimeSeparator()) : String("-");
    c->Font()->SetColor(FDigitShadowColor);
    c->TextOut(a + 16, b - 4, separator);
    c->TextOut(a + 40, b - 4, separator);
    c->Font()->SetColor(FDigitColor);
    c->TextOut(a + 15, b - 5, separator);
    c->TextOut(a + 39, b - 5, separator);
}

void TQELClock::Click()
{
    TCustomPanel::Click();
    Setdtype(FDisplayType == dtTime ? dtDate : dtTime);
    RecreateWnd();
}

QEL_REGISTER_CLASS(TQELClock);

}  // namespace qel
