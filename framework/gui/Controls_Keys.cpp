// TWinControl: keyboard input, focus notices and moving the focus with Tab (Controls.h).
#include "framework/gui/Controls.h"

#include "framework/gui/Forms.h"
#include "framework/gui/StdCtrls.h"

#include <algorithm>

namespace qel {

namespace {

void AddTabOrder(const TWinControl* Parent, std::vector<TWinControl*>& List)
{
    for (TWinControl* c : Parent->TabOrderList()) {
        List.push_back(c);
        AddTabOrder(c, List);
    }
}

TWinControl* TopParent(TWinControl* Control)
{
    while (Control->Parent()) Control = Control->Parent();
    return Control;
}

}  // namespace

std::vector<TWinControl*> TWinControl::GetTabOrderList() const
{
    std::vector<TWinControl*> list;
    AddTabOrder(this, list);
    return list;
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) const
{
    const std::vector<TWinControl*> list = GetTabOrderList();
    const size_t n = list.size();
    if (n == 0) return nullptr;
    const auto it = std::find(list.begin(), list.end(), CurControl);
    // From outside the list, forward starts at the first control and backward at the last.
    const size_t start = it != list.end() ? static_cast<size_t>(it - list.begin()) : GoForward ? n - 1 : 0;
    // The last step comes back to CurControl: a lone focusable control keeps the focus.
    for (size_t step = 1; step <= n; ++step) {
        TWinControl* c = list[GoForward ? (start + step) % n : (start + n - step) % n];
        if ((!CheckTabStop || c->TabStop()) && (!CheckParent || c->Parent() == this) && c->CanFocus()) return c;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop)
{
    if (TWinControl* c = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop)) c->SetFocus();
}

void TWinControl::WindowFocusChanged(bool IsFocused)
{
    if (IsFocused)
        if (TCustomForm* form = GetParentForm(this); form && form != this) form->FocusControlChanged(this);
    if (IsFocused) DoEnter();
    else DoExit();
}

void TWinControl::DoEnter()
{
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit) OnExit(this);
}

void TWinControl::WindowKeyDown(uint16_t Key, TShiftState Shift)
{
    if (ComponentState().Contains(csDesigning)) return;
    // Tab moves the focus through the whole form and is not a key the control sees.
    if (Key == VK_TAB && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt) && !WantTabKey())
        return TopParent(this)->SelectNext(this, !Shift.Contains(ssShift), true);
    KeyDown(Key, Shift);
    ButtonDialogKey(this, Key);
}

void TWinControl::WindowKeyPress(char Key)
{
    if (!ComponentState().Contains(csDesigning)) KeyPress(Key);
}

void TWinControl::WindowTextInput(const String& Utf8)
{
    if (!ComponentState().Contains(csDesigning) && !Utf8.empty()) TextInput(Utf8);
}

void TWinControl::TextInput(const String& Utf8)
{
    for (const char c : Utf8) {
        if (static_cast<unsigned char>(c) >= 0x80) continue;
        char key = c;
        KeyPress(key);
    }
}

void TWinControl::WindowKeyUp(uint16_t Key, TShiftState Shift)
{
    if (!ComponentState().Contains(csDesigning)) KeyUp(Key, Shift);
}

void TWinControl::KeyDown(uint16_t& Key, TShiftState Shift)
{
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key)
{
    if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::KeyUp(uint16_t& Key, TShiftState Shift)
{
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

}  // namespace qel
