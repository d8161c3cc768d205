#pragma once
// TQELMailsComponent, the common base of every mail component, and the helpers the mail collections share.
#include "mail/MailExport.h"
#include "framework/core/Classes.h"

#include <functional>

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

// Runs Step; an error goes to Application->HandleException(Sender) instead of to the caller,
// and the result is False. The mail collections' Delete and an attachment's SaveToFile use it.
bool RunReported(TObject* Sender, const std::function<void()>& Step);

// Takes Item out of its collection again and raises EInvalidCast: an item constructed for a
// collection of the wrong kind must not stay behind in it. Needed names the right kind.
[[noreturn]] void RefuseItem(TCollectionItem* Item, const char* Needed);

}  // namespace qel
