// The desktop program's figures: opening a large manager in the real main window
// (offscreen), painting it and one header-click sort against the core's own load and sort of
// the same manager (gui-100k), and its Backup All against the command-line program's
// (gui-backup-10k).

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <QApplication>
#include <QPixmap>

#include "bench/BenchConfig.h"
#include "bench/BenchFixture.h"
#include "bench/GuiBackup.h"
#include "bench/Measure.h"
#include "bench/TreeGenerator.h"
#include "core/operations/ManagerFile.h"
#include "core/view/Columns.h"
#include "core/view/Sorting.h"
#include "gui/BrackenholdApp.h"
#include "gui/BrackenholdView.h"
#include "gui/MainFrame.h"
#include "gui/ManagerTableModel.h"
#include "gui/QtShell.h"
#include "platform/memory/MemorySettingsStore.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixSystemErrors.h"

namespace {

using namespace bh;
using namespace bh::bench;

double TimeWindow(const std::string& managerPath) {
    PosixFileSystem fileSystem;
    QtShell shell;
    MemorySettingsStore settings;
    PosixClock clock;
    PosixSystemErrors errors;
    std::unique_ptr<BrackenholdApp> app;
    const double seconds = TimeSeconds([&] {
        app =
            std::make_unique<BrackenholdApp>(AppPorts{fileSystem, shell, settings, clock, errors});
        app->Start({managerPath});
        QCoreApplication::processEvents();
        const QPixmap first = app->frame().grab();
        app->view().SortByColumn(kColumnName);
        QCoreApplication::processEvents();
        const QPixmap sorted = app->frame().grab();
        if (first.isNull() || sorted.isNull()) {
            EndRun();
        }
    });
    if (app->view().model().Count() == 0) {
        std::fprintf(stderr, "bench: the window shows no rows\n");
        EndRun();
    }
    // Leaves without the question about unsaved changes the sort made.
    app->doc().SetModifiedFlag(false);
    app.reset();
    return seconds;
}

double TimeCore(const std::string& managerPath) {
    PosixFileSystem fileSystem;
    QtShell shell;
    auto fixture = std::make_unique<DocFixture>(fileSystem, shell);
    const double seconds = TimeSeconds([&] {
        if (!OpenDocumentFile(fixture->doc(), managerPath)) {
            EndRun();
        }
        CColumnState state;
        state.column = kColumnName;
        SortRowsByColumn(fixture->rows(), state);
    });
    fixture.reset();
    return seconds;
}

void BenchGuiOpen(const Config& config) {
    ScratchFolder folder("gui");
    GeneratedTree tree;
    TreeOptions options;
    options.entries = config.Scale(100000);
    if (!GenerateTree(folder.Path() + "/t", options, tree)) {
        EndRun();
    }
    TimeCore(tree.managerPath);  // warms the page cache and the type database
    const std::vector<double> medians = Interleaved(
        config.runs,
        {[&] { return TimeCore(tree.managerPath); }, [&] { return TimeWindow(tree.managerPath); }});
    PrintBench({"gui-100k", medians[1] * 1e3, medians[0] * 1e3, "ms", 1.3});
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::setlocale(LC_TIME, "C");
    std::setlocale(LC_NUMERIC, "C");
    Config config;
    if (!ParseConfig(argc, argv, config)) {
        return 2;
    }
    if (config.Wants("gui-100k")) {
        BenchGuiOpen(config);
    }
    if (config.Wants("gui-backup-10k")) {
        if (config.cli.empty()) {
            std::fprintf(stderr, "brackenhold-bench-gui: gui-backup-10k needs --cli PATH\n");
            return 2;
        }
        BenchGuiBackup(config);
    }
    return 0;
}
