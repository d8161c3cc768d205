#include "framework/core/Timer.h"

#include "framework/core/Application.h"

#include <QTimer>

namespace qel {

QEL_REGISTER_CLASS(TTimer);

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner)
{
    UpdateTimer();
}

TTimer::~TTimer()
{
    delete FTimer;
}

void TTimer::SetEnabled(bool Value)
{
    if (Value == FEnabled) return;
    FEnabled = Value;
    UpdateTimer();
}

void TTimer::SetInterval(uint32_t Value)
{
    if (Value == FInterval) return;
    FInterval = Value;
    UpdateTimer();
}

void TTimer::Timer()
{
    if (OnTimer) OnTimer(this);
}

void TTimer::Loaded()
{
    TComponent::Loaded();
    UpdateTimer();
}

void TTimer::UpdateTimer()
{
    const bool run = FEnabled && FInterval > 0 && !ComponentState().Contains(csLoading);
    if (!run) {
        if (FTimer) FTimer->stop();
        return;
    }
    if (!FTimer) {
        // Qt timers need an application object in this thread.
        Application->Initialize();
        FTimer = new QTimer();
        QObject::connect(FTimer, &QTimer::timeout, [this] { Timer(); });
    }
    FTimer->start(static_cast<int>(std::min<uint32_t>(FInterval, INT32_MAX)));
}

}  // namespace qel
