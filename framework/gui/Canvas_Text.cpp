// TCanvas: text output and DrawText (Canvas.h).
#include "framework/gui/Canvas.h"

#include <QFontMetrics>
#include <QPainter>

namespace qel {

namespace {

struct TTextLine {
    QString Text;
    int32_t Accel = -1;  // index of the underlined accelerator character, -1 for none
};

// "&x" marks x as the accelerator, "&&" is one '&'.
TTextLine StripPrefix(const QString& Line)
{
    TTextLine out;
    for (qsizetype i = 0; i < Line.size(); ++i) {
        if (Line[i] == QLatin1Char('&') && i + 1 < Line.size()) {
            ++i;
            if (Line[i] != QLatin1Char('&') && out.Accel < 0) out.Accel = int32_t(out.Text.size());
        } else if (Line[i] == QLatin1Char('&')) {
            continue;
        }
        out.Text += Line[i];
    }
    return out;
}

QString ExpandTabs(const QString& Line)
{
    QString out;
    for (QChar c : Line) {
        if (c != QLatin1Char('\t')) { out += c; continue; }
        do out += QLatin1Char(' '); while (out.size() % 8 != 0);
    }
    return out;
}

// Breaks a line between words so that each piece fits Width; a word wider than Width stays whole.
std::vector<TTextLine> WrapLine(const TTextLine& Line, const QFontMetrics& Fm, int32_t Width)
{
    std::vector<TTextLine> out;
    const QString& s = Line.Text;
    qsizetype start = 0;
    while (start < s.size() || out.empty()) {
        qsizetype end = start, fit = -1;
        while (end < s.size()) {
            qsizetype next = s.indexOf(QLatin1Char(' '), end + 1);
            if (next < 0) next = s.size();
            if (Fm.horizontalAdvance(s.mid(start, next - start)) > Width && fit >= 0) break;
            fit = end = next;
        }
        if (fit < 0) fit = s.size();
        TTextLine piece{s.mid(start, fit - start), -1};
        if (Line.Accel >= start && Line.Accel < fit) piece.Accel = int32_t(Line.Accel - start);
        out.push_back(piece);
        start = fit;
        while (start < s.size() && s[start] == QLatin1Char(' ')) ++start;
        if (start >= s.size()) break;
    }
    return out;
}

std::vector<TTextLine> LayOut(const QString& Text, uint32_t Format, const QFontMetrics& Fm, int32_t Width)
{
    QString text = Text;
    if (Format & DT_SINGLELINE) text.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::vector<TTextLine> lines;
    for (QString para : text.split(QLatin1Char('\n'))) {
        if (para.endsWith(QLatin1Char('\r'))) para.chop(1);
        if (Format & DT_EXPANDTABS) para = ExpandTabs(para);
        const TTextLine line = (Format & DT_NOPREFIX) ? TTextLine{para, -1} : StripPrefix(para);
        if ((Format & DT_WORDBREAK) && !(Format & DT_SINGLELINE)) {
            for (TTextLine& piece : WrapLine(line, Fm, Width)) lines.push_back(std::move(piece));
        } else {
            lines.push_back(line);
        }
    }
    return lines;
}

}  // namespace

int32_t TCanvas::TextWidth(const String& Text) const
{
    return QFontMetrics(FFont->ToQFont()).horizontalAdvance(QString::fromStdString(Text));
}

int32_t TCanvas::TextHeight(const String&) const { return QFontMetrics(FFont->ToQFont()).height(); }

// One line at (X, Y) as its cell's top left: the cell filled with the brush unless it is clear.
void TCanvas::DrawTextLine(const QString& Line, int32_t X, int32_t Y, int32_t Accel, const QRect* Clip)
{
    const QFont font = FFont->ToQFont();
    const QFontMetrics fm(font);
    QPainter p(FImage);
    if (Clip) p.setClipRect(*Clip);
    const QColor color(Resolve(FFont->Color()));
    if (FBrush->Style() != bsClear)
        p.fillRect(QRect(X, Y, fm.horizontalAdvance(Line), fm.height()), QColor(Resolve(FBrush->Color())));
    p.setFont(font);
    p.setPen(color);
    p.drawText(QPoint(X, Y + fm.ascent()), Line);
    if (Accel < 0 || Accel >= Line.size()) return;
    const int32_t x0 = X + fm.horizontalAdvance(Line.left(Accel)), x1 = X + fm.horizontalAdvance(Line.left(Accel + 1));
    p.fillRect(QRect(x0, Y + fm.ascent() + fm.underlinePos(), x1 - x0, std::max(1, fm.lineWidth())), color);
}

void TCanvas::TextOut(int32_t X, int32_t Y, const String& Text)
{
    const QString s = QString::fromStdString(Text);
    const QFontMetrics fm(FFont->ToQFont());
    const int32_t w = fm.horizontalAdvance(s);
    FPenPos = {X + w, Y};
    if (!FImage) return;
    DrawTextLine(s, X, Y, -1, nullptr);
    Damage(QRect(X, Y, w, fm.height()) | fm.boundingRect(s).translated(X, Y + fm.ascent()));
}

void TCanvas::TextRect(const TRect& R, int32_t X, int32_t Y, const String& Text)
{
    if (!FImage) return;
    const QRect r = ToQRect(R);
    FillBrushRect(r);
    DrawTextLine(QString::fromStdString(Text), X, Y, -1, &r);
    Damage(r);
}

int32_t TCanvas::DrawText(const String& Text, TRect& R, uint32_t Format)
{
    const QFontMetrics fm(FFont->ToQFont());
    const std::vector<TTextLine> lines = LayOut(QString::fromStdString(Text), Format, fm, R.Right - R.Left);
    const int32_t lineH = fm.height(), total = lineH * int32_t(lines.size());
    if (Format & DT_CALCRECT) {
        int32_t width = 0;
        for (const TTextLine& l : lines) width = std::max(width, int32_t(fm.horizontalAdvance(l.Text)));
        R.Right = R.Left + width;
        R.Bottom = R.Top + total;
        return total;
    }
    if (!FImage) return total;
    int32_t y = R.Top;
    if (Format & DT_BOTTOM) y = R.Bottom - total;
    else if (Format & DT_VCENTER) y = R.Top + (R.Bottom - R.Top - total) / 2;
    const QRect clip = ToQRect(R);
    QRect drawn;
    for (const TTextLine& l : lines) {
        const int32_t w = fm.horizontalAdvance(l.Text);
        int32_t x = R.Left;
        if (Format & DT_RIGHT) x = R.Right - w;
        else if (Format & DT_CENTER) x = R.Left + (R.Right - R.Left - w) / 2;
        DrawTextLine(l.Text, x, y, (Format & DT_NOPREFIX) ? -1 : l.Accel, (Format & DT_NOCLIP) ? nullptr : &clip);
        drawn |= QRect(x - 2, y, w + 4, lineH);
        y += lineH;
    }
    Damage((Format & DT_NOCLIP) ? drawn : (drawn & clip));
    return total;
}

}  // namespace qel
