// The permission lists on 2,000 keypanels: building and painting the keypanel window, Allow All and
// its undo with the repaint, scrolling a screen, narrowing the rows by one typed character (with
// and without a sorted alpha column), clearing the filter again, and the "why" of one row.
#include "app/AppState.h"
#include "document/AccessWhy.h"
#include "document/KestovaDoc.h"
#include "restrictions/EntitySelection.h"
#include "restrictions/RestrictionsParser.h"
#include "views/lists/KestovaListCtrl.h"
#include "views/lists/KestovaListModel.h"
#include "views/lists/ResourcesWnd.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QUndoStack>

#include <memory>
#include <stdexcept>
#include <string>

namespace {

using namespace vexilor;

constexpr unsigned kKeypanels = 2000;

// A user in a class with studio references and settings of its own, so that explaining a row
// walks every layer.
std::string restrictionsFile()
{
    std::string file;
    for (int s = 0; s < 8; ++s)
        file += "[STUDIO \"Studio " + std::to_string(s) + "\"]\r\nKP.Edit = " + std::to_string(s * 200 + 1) + "-"
            + std::to_string(s * 200 + 300) + "\r\n";
    file += "[CLASS \"Crew\"]\r\n";
    for (int s = 0; s < 8; s += 2)
        file += "studio+=\"Studio " + std::to_string(s) + "\"\r\n";
    file += "KP.Edit -= 5,50,500\r\n[USER \"Ann\"]\r\nclass=\"Crew\"\r\n";
    for (int s = 1; s < 8; s += 2)
        file += std::string(s == 5 ? "studio-=" : "studio+=") + "\"Studio " + std::to_string(s) + "\"\r\n";
    file += "KP.Edit -= 7,70,700,1999\r\n";
    return file;
}

struct Lists {
    CAppState app;
    std::unique_ptr<CKestovaDoc> doc;
    std::unique_ptr<CResourceEditWnd> window;

    Lists()
    {
        app.intercom.keypanelCount = kKeypanels;
        app.prefs.alphaSize = 8;
        for (unsigned n = 1; n <= kKeypanels; n += 3)
            app.intercom.alphas[ResourceKey(0, n)].alpha8 = u"CAM " + QString::number(n).toStdU16String();
        for (unsigned n = 2; n <= kKeypanels; n += 5)
            app.intercom.descriptions[ResourceKey(0, n)].text = u"Studio desk " + QString::number(n).toStdU16String();
        doc = std::make_unique<CKestovaDoc>(app, CKestovaDoc::Services{});
        if (!parseRestrictions(doc->model(), restrictionsFile()).ok)
            throw std::runtime_error("the bench's restrictions file does not parse");
        doc->model().setDocumentValid(true);
        doc->selection().select(u"Ann", EntityKind::User);
        window = std::make_unique<CResourceEditWnd>(*doc, app, 0);
        window->resize(800, 600);
    }
};

// Built on first use and gone before the application object.
std::unique_ptr<Lists> g_lists;

Lists& lists()
{
    if (!g_lists)
        g_lists = std::make_unique<Lists>();
    return *g_lists;
}

// What the user waits for when the window opens: built, laid out and the first screen painted.
void BM_BuildAndPaintKeypanels(benchmark::State& state)
{
    Lists& l = lists();
    QImage screen(800, 600, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        CResourceEditWnd window(*l.doc, l.app, 0);
        window.resize(800, 600);
        window.render(&screen);
    }
}
BENCHMARK(BM_BuildAndPaintKeypanels)->Unit(benchmark::kMillisecond);

// Allow All on every keypanel and the repaint; then its undo with the repaint.
void BM_AllowAllAndRepaint(benchmark::State& state)
{
    Lists& l = lists();
    QImage screen(800, 600, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        l.window->allowAll();
        l.window->render(&screen);
        state.PauseTiming();
        l.doc->undoStack().undo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AllowAllAndRepaint)->Unit(benchmark::kMillisecond);

void BM_UndoAllowAllAndRepaint(benchmark::State& state)
{
    Lists& l = lists();
    QImage screen(800, 600, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        state.PauseTiming();
        l.window->allowAll();
        state.ResumeTiming();
        l.doc->undoStack().undo();
        l.window->render(&screen);
    }
}
BENCHMARK(BM_UndoAllowAllAndRepaint)->Unit(benchmark::kMillisecond);

// Page Down: the next screen of rows painted.
void BM_ScrollOneScreen(benchmark::State& state)
{
    Lists& l = lists();
    QImage screen(800, 600, QImage::Format_ARGB32_Premultiplied);
    l.window->render(&screen);
    QScrollBar* bar = l.window->list()->verticalScrollBar();
    for (auto _ : state) {
        const int next = bar->value() + bar->pageStep();
        bar->setValue(next > bar->maximum() ? 0 : next);
        l.window->render(&screen);
    }
}
BENCHMARK(BM_ScrollOneScreen)->Unit(benchmark::kMillisecond);

// From no filter to one typed character; arg 1 sorts by the alpha column first.
void BM_FilterOneCharacter(benchmark::State& state)
{
    Lists& l = lists();
    CKestovaListCtrl* list = l.window->list();
    l.window->setFilterText({});
    if (state.range(0) != 0 && list->sortedColumn() < 0)
        list->clickHeading(l.window->listModel()->columnOfKind(colkind::kAlpha));
    int shown = 0;
    for (auto _ : state) {
        l.window->setFilterText(QStringLiteral("5"));
        shown = list->model()->rowCount();
        state.PauseTiming();
        l.window->setFilterText({});
        state.ResumeTiming();
    }
    state.counters["shown"] = shown;
}
BENCHMARK(BM_FilterOneCharacter)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Escape: every row back, in the sorted order of the alpha column.
void BM_ClearFilterSorted(benchmark::State& state)
{
    Lists& l = lists();
    CKestovaListCtrl* list = l.window->list();
    if (list->sortedColumn() < 0)
        list->clickHeading(l.window->listModel()->columnOfKind(colkind::kAlpha));
    for (auto _ : state) {
        state.PauseTiming();
        l.window->setFilterText(QStringLiteral("cam 1"));
        state.ResumeTiming();
        l.window->setFilterText({});
    }
    state.counters["rows"] = list->model()->rowCount();
}
BENCHMARK(BM_ClearFilterSorted)->Unit(benchmark::kMillisecond);

// The sentence of one row, cycling through the rows so that every layer answers some of them.
void BM_WhyOfOneRow(benchmark::State& state)
{
    Lists& l = lists();
    std::uint32_t n = 0;
    for (auto _ : state) {
        n = n % kKeypanels + 1;
        benchmark::DoNotOptimize(WhyAccess(*l.doc, AccessRef::resource(0, n)));
    }
}
BENCHMARK(BM_WhyOfOneRow)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    g_lists.reset();
    benchmark::Shutdown();
    return 0;
}
