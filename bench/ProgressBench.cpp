// What the progress dialog costs a load: Load and Compress of an 8 MiB page
// with no sink, with the dialog pumping its input at every report, and with
// the dialog's default pump interval. Runs on Qt's offscreen platform unless
// another is chosen. Run: build/default/bench/progress_bench

#include <chrono>
#include <memory>

#include <QApplication>
#include <benchmark/benchmark.h>

#include "app/Application.h"
#include "app/controls/LogoButton.h"
#include "app/dialogs/ProgressDialog.h"
#include "engine/LockedDocument.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestPages.h"

namespace {

using namespace nemora;

constexpr std::size_t kPageSize = 8 * 1024 * 1024;

const std::string& PagePath() {
    static const test::TempDir folder;
    static const std::string path = folder.Write("page.html", test::HtmlPage(kPageSize, 42));
    return path;
}

// One load as the main window runs it, the dialog made before the timing.
void RunLoad(benchmark::State& state, bool withDialog, std::chrono::microseconds interval) {
    const std::string& path = PagePath();
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<app::ProgressDialog> dialog;
        if (withDialog) {
            dialog = std::make_unique<app::ProgressDialog>();
            if (!dialog->Create()) state.SkipWithError("no progress window");
            dialog->SetTitle(3001);
            dialog->SetPumpInterval(interval);
            QCoreApplication::processEvents();
        }
        engine::LockedDocument document(engine::FileLayer::System());
        state.ResumeTiming();

        engine::ProgressSink* sink = dialog.get();
        if (document.Load(sink, path) != engine::Result::Ok ||
            document.Compress(sink) != engine::Result::Ok) {
            state.SkipWithError("load failed");
        }

        state.PauseTiming();
        dialog.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPageSize));
}

void BM_LoadWithoutSink(benchmark::State& state) {
    RunLoad(state, false, {});
}

void BM_LoadPumpingEveryReport(benchmark::State& state) {
    RunLoad(state, true, std::chrono::microseconds{0});
}

void BM_LoadDefaultPumpInterval(benchmark::State& state) {
    RunLoad(state, true, app::ProgressDialog::kDefaultPumpInterval);
}

BENCHMARK(BM_LoadWithoutSink)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadPumpingEveryReport)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadDefaultPumpInterval)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    app::LogoButton::SetLogoBitmaps(app::Application::kLogoBitmaps);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
