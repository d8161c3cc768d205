#pragma once
// TQELMailsComponent, the common base of every mail component.
#include "mail/MailExport.h"
#include "framework/core/Classes.h"

namespace qel {

using TQELAboutMailStr = String;  // at most 33 characters

class QEL_MAIL_EXPORT TQELMailsComponent : public TComponent {
    Q_OBJECT
    Q_PROPERTY(String About MEMBER About STORED false)
public:
    Q_INVOKABLE explicit TQELMailsComponent(TComponent* AOwner);

    // The component's one job; the base does nothing.
    virtual bool Execute();

    TQELAboutMailStr About;
};

}  // namespace qel
