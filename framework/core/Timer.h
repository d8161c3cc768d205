#pragma once
// TTimer: fires OnTimer every Interval milliseconds on the application's event loop.
#include "framework/core/Export.h"
#include "framework/core/Component.h"

class QTimer;

namespace qel {

class QEL_FRAMEWORK_EXPORT TTimer : public TComponent {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(uint32_t Interval READ Interval WRITE SetInterval)
    Q_CLASSINFO("default:Enabled", "true")
    Q_CLASSINFO("default:Interval", "1000")
public:
    Q_INVOKABLE explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    uint32_t Interval() const { return FInterval; }
    void SetInterval(uint32_t Value);  // 0 stops the timer

    TNotifyEvent OnTimer;

protected:
    virtual void Timer();  // fires OnTimer when assigned
    void Loaded() override;

private:
    void UpdateTimer();

    bool FEnabled = true;
    uint32_t FInterval = 1000;
    QTimer* FTimer = nullptr;
};

}  // namespace qel
