#include "widgets/QELQuickInfo.h"

#include "framework/core/Application.h"
#include "widgets/QELQuickInfoForm.h"

#include <QMetaClassInfo>

namespace qel {

TQELQuickInfo::TQELQuickInfo(TComponent* AOwner) : TComponent(AOwner), InfoboxCaption("Quick Information Box"),
                                                   FFonts(std::make_unique<TFont>())
{
    const QMetaObject* meta = metaObject();
    for (int n = 0; n < LineCount; ++n) {
        const String key = "default:Line" + std::to_string(n + 1);
        *Lines()[n] = meta->classInfo(meta->indexOfClassInfo(key.c_str())).value();
    }
}

TQELQuickInfo::~TQELQuickInfo() = default;

void TQELQuickInfo::Setfon(TFont* Value) { FFonts->Assign(Value); }

std::array<String*, TQELQuickInfo::LineCount> TQELQuickInfo::Lines()
{
    return {&Line1, &Line2, &Line3, &Line4, &Line5, &Line6, &Line7, &Line8, &Line9, &Line10};
}

bool TQELQuickInfo::Execute()
{
    std::unique_ptr<TQELQuickInfoForm> form(new TQELQuickInfoForm(Application));
    form->SetCaption(InfoboxCaption);
    // Every label and bitmap button, in the form's component order, gets its own copy of Fonts.
    for (int i = 0; i < form->ComponentCount(); ++i) {
        TComponent* c = form->Components(i);
        if (auto* label = qobject_cast<TLabel*>(c)) {
            label->SetAlignment(Alignment);
            label->SetFont(FFonts.get());
        } else if (auto* button = qobject_cast<TBitBtn*>(c)) {
            button->SetFont(FFonts.get());
        }
    }
    for (int n = 0; n < LineCount; ++n) form->Labels[n]->SetCaption(*Lines()[n]);
    form->ShowModal();
    return true;
}

QEL_REGISTER_CLASS(TQELQuickInfo);

}  // namespace qel
