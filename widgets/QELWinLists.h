#pragma once
// The framework's list box, data-aware list box and string grid as small framed tool windows
// inside their parent: a title bar showing Caption and a sizing border the user drags.
// Caption is already published by the framework's controls; only CreateParams differs.
#include "framework/gui/DBCtrls.h"
#include "framework/gui/Grids.h"
#include "framework/gui/StdCtrls.h"
#include "widgets/QELAboutFree.h"
#include "widgets/WidgetsExport.h"

namespace qel {

class QEL_WIDGETS_EXPORT TQELWinListbox : public TListBox {
    Q_OBJECT
    Q_PROPERTY(qel::TQELAboutFreeStr About MEMBER About)
    Q_CLASSINFO("default:About", "")
public:
    Q_INVOKABLE explicit TQELWinListbox(TComponent* AOwner);
    TQELAboutFreeStr About;

protected:
    void CreateParams(TCreateParams& Params) override;
};

class QEL_WIDGETS_EXPORT TQELWinDBListBox : public TDBListBox {
    Q_OBJECT
    Q_PROPERTY(qel::TQELAboutFreeStr About MEMBER About)
    Q_CLASSINFO("default:About", "")
public:
    Q_INVOKABLE explicit TQELWinDBListBox(TComponent* AOwner);
    TQELAboutFreeStr About;

protected:
    void CreateParams(TCreateParams& Params) override;
};

class QEL_WIDGETS_EXPORT TQELWinStringGrid : public TStringGrid {
    Q_OBJECT
    Q_PROPERTY(qel::TQELAboutFreeStr About MEMBER About)
    Q_CLASSINFO("default:About", "")
public:
    Q_INVOKABLE explicit TQELWinStringGrid(TComponent* AOwner);
    TQELAboutFreeStr About;

protected:
    void CreateParams(TCreateParams& Params) override;
};

}  // namespace qel
