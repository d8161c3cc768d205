#include "widgets/QELMenuItemGlyph.h"

namespace qel {

TQELMenuItemGlyph::TQELMenuItemGlyph(TComponent* AOwner)
    : TComponent(AOwner), FCheckGlyph(std::make_unique<TBitmap>()), FItemGlyph(std::make_unique<TBitmap>())
{
}

TQELMenuItemGlyph::~TQELMenuItemGlyph()
{
    SetMenuItem(nullptr);
}

namespace {

// No picture given empties the bitmap, as assigning nothing to a bitmap does.
void CopyPicture(TBitmap* Target, TBitmap* Value)
{
    TBitmap empty;
    Target->Assign(Value ? Value : &empty);
}

}  // namespace

void TQELMenuItemGlyph::SetGlyph(TBitmap* Value)
{
    CopyPicture(FItemGlyph.get(), Value);
}

void TQELMenuItemGlyph::SetCheckGlyph(TBitmap* Value)
{
    CopyPicture(FCheckGlyph.get(), Value);
}

void TQELMenuItemGlyph::SetMenuItem(TMenuItem* Value)
{
    if (FMenuItem) FMenuItem->RemoveFreeNotification(this);
    FMenuItem = Value;
    if (Value) Value->FreeNotification(this);
}

void TQELMenuItemGlyph::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FMenuItem) FMenuItem = nullptr;
}

void TQELMenuItemGlyph::Loaded()
{
    TComponent::Loaded();
    Refresh();
}

void TQELMenuItemGlyph::Refresh()
{
    if (!FMenuItem) return;
    if (FMenuItem->Checked() && FCheckGlyph)
        SetMenuItemBitmaps(FMenuItem->Menu(), FMenuItem->Command(), FItemGlyph.get(), FCheckGlyph.get());
    else if (FItemGlyph)
        SetMenuItemBitmaps(FMenuItem->Menu(), FMenuItem->Command(), FItemGlyph.get(), FItemGlyph.get());
}

QEL_REGISTER_CLASS(TQELMenuItemGlyph);

}  // namespace qel
