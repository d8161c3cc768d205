// A full repaint of a form of 20 controls (8 panels, 8 labels, 4 bevels), offscreen, against
// QPainter drawing the same rectangles, frames and texts on an image of the same size.
#include "framework/core/Application.h"
#include "framework/gui/ExtCtrls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StdCtrls.h"

#include <QApplication>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <memory>

using namespace qel;

namespace {

constexpr int Columns = 5, Rows = 4, CellW = 80, CellH = 60;

QRect Cell(int I) { return QRect((I % Columns) * CellW + 4, (I / Columns) * CellH + 4, CellW - 8, CellH - 8); }
QString CaptionOf(int I) { return QString("Item %1").arg(I); }

std::unique_ptr<TForm> MakeForm()
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetClientWidth(Columns * CellW);
    form->SetClientHeight(Rows * CellH);
    for (int i = 0; i < Columns * Rows; ++i) {
        const QRect r = Cell(i);
        TControl* c = nullptr;
        if (i % 5 < 2) c = new TPanel(form.get());
        else if (i % 5 < 4) c = new TLabel(form.get());
        else c = new TBevel(form.get());
        c->SetParent(form.get());
        c->SetBounds(r.x(), r.y(), r.width(), r.height());
        if (i % 5 < 4) c->SetCaption(CaptionOf(i).toStdString());
    }
    return form;
}

void BM_FormFullPaint(benchmark::State& state)
{
    std::unique_ptr<TForm> form = MakeForm();
    RenderForm(form.get());  // the windows exist before timing starts
    for (auto _ : state) {
        form->Invalidate();
        for (int i = 0; i < form->ControlCount(); ++i) form->Controls(i)->Invalidate();
        benchmark::DoNotOptimize(RenderForm(form.get()));
    }
}
BENCHMARK(BM_FormFullPaint)->Unit(benchmark::kMicrosecond);

// The peer: a panel is a filled rectangle, a raised frame and a centred text; a label a text; a
// bevel a lowered frame.
void BM_QPainterFormPaint(benchmark::State& state)
{
    const QColor face(0xF0, 0xF0, 0xF0), light(Qt::white), dark(0xA0, 0xA0, 0xA0);
    for (auto _ : state) {
        QImage image(Columns * CellW, Rows * CellH, QImage::Format_RGB32);
        QPainter p(&image);
        p.fillRect(image.rect(), face);
        for (int i = 0; i < Columns * Rows; ++i) {
            const QRect r = Cell(i);
            const bool raised = i % 5 < 2;
            if (raised) p.fillRect(r, face);
            if (i % 5 < 2 || i % 5 == 4) {
                p.setPen(raised ? light : dark);
                p.drawLine(r.topLeft(), r.topRight());
                p.drawLine(r.topLeft(), r.bottomLeft());
                p.setPen(raised ? dark : light);
                p.drawLine(r.bottomLeft(), r.bottomRight());
                p.drawLine(r.topRight(), r.bottomRight());
            }
            if (i % 5 < 4) {
                p.setPen(Qt::black);
                p.drawText(r, raised ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop, CaptionOf(i));
            }
        }
        p.end();
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK(BM_QPainterFormPaint)->Unit(benchmark::kMicrosecond);

}  // namespace
