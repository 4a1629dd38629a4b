// How fast the map window paints: a full repaint of a crowded hexagonal page
// (every one of its 65,535 tiles labelled, 1,000 items) on a 1280 x 960
// surface must fit one frame (16 ms); one drag-painting step repaints only
// the touched cell (target 2 ms); scrolling repaints the page at every step.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <string>

#include "map/CMapPage.h"
#include "map/qt/CMapRenderer.h"
#include "platform/Cp932.h"

namespace {

using namespace yarrow;

constexpr int kWidth = 1280;
constexpr int kHeight = 960;

// The crowded page: every tile labelled, 1,000 units, labels and leader lines.
CMapPage& CrowdedPage() {
    static CMapPage page = [] {
        CMapPage p(0);
        p.SetClientSize(kWidth, kHeight);
        const std::string names[] = {Sjis("森"), Sjis("山\r\n岳"), Sjis("沼"), "Hill", Sjis("城")};
        int n = 0;
        for (int c = 0; c < kMapSide; ++c) {
            for (int r = 0; r < kMapSide && n < static_cast<int>(kMaxTiles); ++r, ++n) {
                p.SetFillColor(0x305030 + (c * 7 % 64) * 0x10000 + (r * 5 % 64) * 0x100);
                p.PaintTile(c, r);
                p.EditTileLabel(c, r, n % 3 == 0 ? 0 : 0xFFFFFF, n % 3,
                                names[n % 5] + std::to_string(n % 100));
            }
        }
        // Items spread over the page, a third of them on the first screen.
        for (int i = 0; i < 1000; ++i) {
            const int c = i < 330 ? (i * 7) % 50 : (i * 37) % 256;
            const int r = i < 330 ? (i * 11) % 32 : (i * 101) % 256;
            if (i % 7 == 0)
                p.AddUnit(c, r, true, 0x0000C0, Sjis("ラベル") + std::to_string(i));
            else
                p.AddUnit(c, r, false, 0xC00000, Sjis("騎士"));
        }
        // Some leader lines: drops onto occupied cells.
        for (int i = 0; i < 40; ++i)
            p.DropItem({(i * 7) % 50, (i * 11) % 32}, {(i * 7 + 7) % 50, (i * 11 + 11) % 32},
                       false);
        return p;
    }();
    return page;
}

void CopyToScreen(QImage& screen, const QImage& surface, const QRect& rect) {
    QPainter painter(&screen);
    painter.drawImage(rect, surface, rect);
}

void BM_FullRepaint(benchmark::State& state) {
    CMapPage& page = CrowdedPage();
    CMapRenderer renderer("/nonexistent/");
    QImage surface(kWidth, kHeight, QImage::Format_RGB32);
    QImage screen(kWidth, kHeight, QImage::Format_RGB32);
    const QRect all(0, 0, kWidth, kHeight);
    for (auto _ : state) {
        {
            QPainter painter(&surface);
            renderer.Render(painter, page, all);
        }
        CopyToScreen(screen, surface, all);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond);

// The same repaint with nothing cached yet: the first paint of a page, or a
// jump to a part of it never shown before.
void BM_FullRepaintCold(benchmark::State& state) {
    CMapPage& page = CrowdedPage();
    QImage surface(kWidth, kHeight, QImage::Format_RGB32);
    const QRect all(0, 0, kWidth, kHeight);
    for (auto _ : state) {
        CMapRenderer renderer("/nonexistent/");
        QPainter painter(&surface);
        renderer.Render(painter, page, all);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FullRepaintCold)->Unit(benchmark::kMillisecond);

// One step of painting tiles with the mouse: the cell changes colour, its
// part of the surface is repainted and copied to the screen.
void BM_DragPaintingStep(benchmark::State& state) {
    CMapPage& page = CrowdedPage();
    CMapRenderer renderer("/nonexistent/");
    QImage surface(kWidth, kHeight, QImage::Format_RGB32);
    QImage screen(kWidth, kHeight, QImage::Format_RGB32);
    {
        QPainter painter(&surface);
        renderer.Render(painter, page, QRect(0, 0, kWidth, kHeight));
    }
    int step = 0;
    for (auto _ : state) {
        const int column = 10 + step % 30;
        const int row = 10 + (step / 30) % 20;
        page.SetFillColor(step % 2 == 0 ? 0x0000FF : 0x00FF00);
        ++step;
        const QRect before = renderer.CellExtent(page, column, row);
        page.PaintTile(column, row);
        const QRect dirty = before | renderer.CellExtent(page, column, row);
        {
            QPainter painter(&surface);
            renderer.Render(painter, page, dirty);
        }
        CopyToScreen(screen, surface, dirty);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DragPaintingStep)->Unit(benchmark::kMicrosecond);

// Scrolling across the whole page, two columns per step as the scroll bar's
// arrow does, with cold text caches: the slowest step is what a user could
// notice. Reported as counters: mean and maximum milliseconds per step.
void BM_ScrollAcrossThePage(benchmark::State& state) {
    CMapPage& page = CrowdedPage();
    QImage surface(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        CMapRenderer renderer("/nonexistent/");
        double worst = 0;
        double total = 0;
        int steps = 0;
        page.Scroll(ScrollAxis::Horizontal, ScrollAction::ToStart);
        page.Scroll(ScrollAxis::Vertical, ScrollAction::ToStart);
        bool moved = true;
        while (moved) {
            const auto start = std::chrono::steady_clock::now();
            {
                QPainter painter(&surface);
                renderer.Render(painter, page, QRect(0, 0, kWidth, kHeight));
            }
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
            worst = std::max(worst, ms);
            total += ms;
            ++steps;
            // Right across the page, then down a page, and right again.
            moved = page.Scroll(ScrollAxis::Horizontal, ScrollAction::LineForward);
            if (!moved && page.Scroll(ScrollAxis::Vertical, ScrollAction::PageForward)) {
                page.Scroll(ScrollAxis::Horizontal, ScrollAction::ToStart);
                moved = true;
            }
        }
        state.counters["steps"] = steps;
        state.counters["mean_ms"] = total / steps;
        state.counters["worst_ms"] = worst;
    }
    page.Scroll(ScrollAxis::Horizontal, ScrollAction::ToStart);
    page.Scroll(ScrollAxis::Vertical, ScrollAction::ToStart);
}
BENCHMARK(BM_ScrollAcrossThePage)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
