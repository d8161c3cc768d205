#pragma once
// TQELMenuItemGlyph: puts two bitmaps on a menu item, one beside it while unchecked and one while
// checked. Changing the bitmaps or the item applies nothing until Refresh.
#include "framework/core/Classes.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/Menus.h"
#include "widgets/QELAboutFree.h"
#include "widgets/WidgetsExport.h"

#include <memory>

namespace qel {

class QEL_WIDGETS_EXPORT TQELMenuItemGlyph : public TComponent {
    Q_OBJECT
    Q_PROPERTY(qel::TQELAboutFreeStr About MEMBER About)
    Q_PROPERTY(qel::TBitmap* ItemGlyph READ ItemGlyph WRITE SetGlyph)
    Q_PROPERTY(qel::TBitmap* CheckGlyph READ CheckGlyph WRITE SetCheckGlyph)
    Q_PROPERTY(qel::TMenuItem* MenuItem READ MenuItem WRITE SetMenuItem)
    Q_CLASSINFO("default:About", "")

public:
    Q_INVOKABLE explicit TQELMenuItemGlyph(TComponent* AOwner);
    ~TQELMenuItemGlyph() override;

    TBitmap* ItemGlyph() const { return FItemGlyph.get(); }
    void SetGlyph(TBitmap* Value);  // copies the picture
    TBitmap* CheckGlyph() const { return FCheckGlyph.get(); }
    void SetCheckGlyph(TBitmap* Value);  // copies the picture
    TMenuItem* MenuItem() const { return FMenuItem; }
    void SetMenuItem(TMenuItem* Value);

    // Puts the bitmaps on the item: both states show ItemGlyph unless the item is checked now.
    void Refresh();

    TQELAboutFreeStr About;

protected:
    void Loaded() override;
    // The item may be freed before this component: the reference is dropped then.
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::unique_ptr<TBitmap> FCheckGlyph;
    std::unique_ptr<TBitmap> FItemGlyph;
    TMenuItem* FMenuItem = nullptr;
};

}  // namespace qel
