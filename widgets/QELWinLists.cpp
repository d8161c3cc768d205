#include "widgets/QELWinLists.h"

namespace qel {

namespace {

void AddToolWindowFrame(TCreateParams& Params)
{
    Params.Style |= WS_CAPTION | WS_THICKFRAME;
    Params.ExStyle |= WS_EX_TOOLWINDOW;
}

}  // namespace

TQELWinListbox::TQELWinListbox(TComponent* AOwner) : TListBox(AOwner) {}

void TQELWinListbox::CreateParams(TCreateParams& Params)
{
    TListBox::CreateParams(Params);
    AddToolWindowFrame(Params);
}

TQELWinDBListBox::TQELWinDBListBox(TComponent* AOwner) : TDBListBox(AOwner) {}

void TQELWinDBListBox::CreateParams(TCreateParams& Params)
{
    TDBListBox::CreateParams(Params);
    AddToolWindowFrame(Params);
}

TQELWinStringGrid::TQELWinStringGrid(TComponent* AOwner) : TStringGrid(AOwner) {}

void TQELWinStringGrid::CreateParams(TCreateParams& Params)
{
    TStringGrid::CreateParams(Params);
    AddToolWindowFrame(Params);
}

QEL_REGISTER_CLASS(TQELWinListbox);
QEL_REGISTER_CLASS(TQELWinDBListBox);
QEL_REGISTER_CLASS(TQELWinStringGrid);

}  // namespace qel
