#include "framework/gui/TextView.h"

#include "framework/gui/ExtCtrls.h"

#include <algorithm>

namespace qel {

namespace {

constexpr int TabChars = 8;

String FontKey(TCanvas* C)
{
    // Name and height do not tell bold from plain; one measured sample does.
    return C->Font()->Name() + '/' + std::to_string(C->Font()->Height()) + '/' + std::to_string(C->TextWidth("MWmw il"));
}

}  // namespace

void PaintEditFrame(TCanvas* C, TRect& R, TColor Fill)
{
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Fill);
    C->FillRect(R);
    Frame3D(C, R, clBtnShadow, clBtnHighlight, 1);
    Frame3D(C, R, clWindowFrame, clBtnFace, 1);
}

int32_t TTextView::Width(TCanvas* C, int32_t From, int32_t To) const
{
    if (To <= From) return 0;
    const String s = Editor.Text().substr(From, To - From);
    return C->TextWidth(Mask ? String(CharCount(s), Mask) : s);
}

int32_t TTextView::XOf(TCanvas* C, int Line, int32_t Pos) const
{
    const TVisualLine& l = FLines[std::clamp(Line, 0, static_cast<int>(FLines.size()) - 1)];
    const String& t = Editor.Text();
    const int32_t tab = std::max(1, TabChars * C->TextWidth(" "));
    int32_t x = 0, seg = l.Start;
    for (int32_t p = l.Start; p < Pos && p < l.End; ++p) {
        if (t[p] != '\t' || Mask) continue;
        x += Width(C, seg, p);
        x = (x / tab + 1) * tab;
        seg = p + 1;
    }
    return x + Width(C, seg, std::min(Pos, l.End));
}

void TTextView::WrapLine(TCanvas* C, int32_t From, int32_t To, int32_t Avail)
{
    const String& t = Editor.Text();
    auto width = [&](int32_t a, int32_t b) {
        FLines.push_back({a, b, false});
        const int32_t w = XOf(C, static_cast<int>(FLines.size()) - 1, b);
        FLines.pop_back();
        return w;
    };
    int32_t start = From;
    while (WordWrap && Avail > 0 && width(start, To) > Avail) {
        int32_t best = -1;
        for (int32_t p = start + 1; p < To; ++p) {
            if (t[p - 1] != ' ' || t[p] == ' ') continue;
            int32_t trimmed = p;
            while (trimmed > start && t[trimmed - 1] == ' ') --trimmed;
            if (width(start, trimmed) > Avail) break;
            best = p;
        }
        if (best < 0) {  // one long word: break it between characters, at least one a line
            best = Editor.NextChar(start);
            while (best < To && width(start, Editor.NextChar(best)) <= Avail) best = Editor.NextChar(best);
        }
        FLines.push_back({start, best, true});
        start = best;
    }
    FLines.push_back({start, To, false});
}

void TTextView::Layout(TCanvas* C)
{
    const int32_t width = Area.Right - Area.Left;
    const String font = FontKey(C);
    if (FLaidText == Editor.Text() && FLaidFont == font && FLaidWidth == width && FLaidWrap == WordWrap && FLaidMask == Mask)
        return;
    FLaidText = Editor.Text();
    FLaidFont = font;
    FLaidWidth = width;
    FLaidWrap = WordWrap;
    FLaidMask = Mask;
    FLineHeight = std::max(1, C->TextHeight("Wg"));
    FLines.clear();
    const int32_t n = Editor.Length();
    for (int32_t start = 0;;) {
        const int32_t end = Mask || SingleLine ? n : Editor.LineEnd(start);
        WrapLine(C, start, end, width);
        if (end >= n) break;
        start = Editor.NextChar(end);
    }
    FContentWidth = 0;
    for (int i = 0; i < static_cast<int>(FLines.size()); ++i)
        FContentWidth = std::max(FContentWidth, XOf(C, i, FLines[i].End));
}

int32_t TTextView::VisibleLines() const { return std::max(1, (Area.Bottom - Area.Top) / FLineHeight); }

int TTextView::LineOf(int32_t Pos) const
{
    // A position where a wrapped line ends belongs to the next line.
    auto it = std::upper_bound(FLines.begin(), FLines.end(), Pos, [](int32_t p, const TVisualLine& l) { return p < l.Start; });
    return std::max(0, static_cast<int>(it - FLines.begin()) - 1);
}

int32_t TTextView::EndOfLine(int Line) const
{
    const TVisualLine& l = FLines[Line];
    return l.Soft && l.End > l.Start ? Editor.PrevChar(l.End) : l.End;
}

int32_t TTextView::PosAt(TCanvas* C, int Line, int32_t X) const
{
    Line = std::clamp(Line, 0, static_cast<int>(FLines.size()) - 1);
    const int32_t last = EndOfLine(Line);
    int32_t p = FLines[Line].Start, x = 0;
    while (p < last) {
        const int32_t next = Editor.NextChar(p), nx = XOf(C, Line, next);
        if (X < (x + nx) / 2) return p;
        p = next;
        x = nx;
    }
    return last;
}

int32_t TTextView::PosAtPoint(TCanvas* C, TPoint P) const
{
    const int line = TopLine + (P.Y - Area.Top < 0 ? -1 : (P.Y - Area.Top) / FLineHeight);
    return PosAt(C, line, P.X - Area.Left + LeftPx);
}

TRect TTextView::CaretRect(TCanvas* C) const
{
    const int line = LineOf(Editor.Caret());
    const int32_t x = Area.Left - LeftPx + XOf(C, line, Editor.Caret());
    const int32_t y = Area.Top + (line - TopLine) * FLineHeight;
    return TRect{x, y, x + 1, y + FLineHeight};
}

void TTextView::ScrollToCaret(TCanvas* C, bool MultiLine)
{
    const int line = LineOf(Editor.Caret());
    if (MultiLine) {
        if (line < TopLine) TopLine = line;
        if (line >= TopLine + VisibleLines()) TopLine = line - VisibleLines() + 1;
    }
    const int32_t x = XOf(C, line, Editor.Caret()), avail = std::max(1, Area.Right - Area.Left);
    if (x < LeftPx) LeftPx = x;
    if (x >= LeftPx + avail) LeftPx = x - avail + 1;
    ClampScroll();
}

void TTextView::ClampScroll()
{
    TopLine = std::clamp(TopLine, 0, std::max(0, static_cast<int32_t>(FLines.size()) - VisibleLines()));
    // One pixel more than the text: room for the caret after the last character.
    LeftPx = std::clamp(LeftPx, 0, std::max(0, FContentWidth + 1 - (Area.Right - Area.Left)));
}

void TTextView::DrawRun(TCanvas* C, const TRect& Clip, int Line, int32_t From, int32_t To, int32_t Y) const
{
    const String& t = Editor.Text();
    const int32_t x0 = Area.Left - LeftPx;
    for (int32_t a = From; a < To;) {
        int32_t b = a;
        while (b < To && (Mask || t[b] != '\t')) ++b;
        if (b > a) {
            const String s = t.substr(a, b - a);
            C->TextRect(Clip, x0 + XOf(C, Line, a), Y, Mask ? String(CharCount(s), Mask) : s);
        }
        a = b < To ? b + 1 : b;
    }
}

void TTextView::Paint(TCanvas* C, bool ShowSelection, bool ShowCaret, TColor TextColor)
{
    const int32_t s0 = Editor.SelStart(), s1 = s0 + Editor.SelLength();
    const int last = std::min(static_cast<int>(FLines.size()), TopLine + VisibleLines() + 1);
    for (int i = TopLine; i < last; ++i) {
        const TVisualLine& l = FLines[i];
        const int32_t y = Area.Top + (i - TopLine) * FLineHeight;
        const TRect row{Area.Left, std::max(y, Area.Top), Area.Right, std::min(y + FLineHeight, Area.Bottom)};
        if (row.Bottom <= row.Top) break;
        C->Brush()->SetStyle(bsClear);
        C->Font()->SetColor(TextColor);
        DrawRun(C, row, i, l.Start, l.End, y);
        const int32_t a = std::max(s0, l.Start), b = std::min(s1, l.End);
        if (!ShowSelection || a >= b) continue;
        const int32_t xa = Area.Left - LeftPx + XOf(C, i, a), xb = Area.Left - LeftPx + XOf(C, i, b);
        const TRect sel{std::max(xa, row.Left), row.Top, std::min(xb, row.Right), row.Bottom};
        if (sel.Right <= sel.Left) continue;
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(clHighlight);
        C->FillRect(sel);
        C->Brush()->SetStyle(bsClear);
        C->Font()->SetColor(clHighlightText);
        DrawRun(C, sel, i, a, b, y);
    }
    if (!ShowCaret) return;
    const TRect caret = CaretRect(C);
    if (caret.Left < Area.Left || caret.Left >= Area.Right) return;
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(TextColor);
    C->FillRect(TRect{caret.Left, std::max(caret.Top, Area.Top), caret.Right, std::min(caret.Bottom, Area.Bottom)});
}

}  // namespace qel
