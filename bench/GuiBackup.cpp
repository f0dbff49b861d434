#include "bench/GuiBackup.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "bench/Measure.h"
#include "bench/Programs.h"
#include "bench/TreeGenerator.h"
#include "core/base/CommandIds.h"
#include "core/document/BrackenholdDoc.h"
#include "gui/BrackenholdApp.h"
#include "gui/MainFrame.h"
#include "gui/QtShell.h"
#include "platform/memory/MemorySettingsStore.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixSystemErrors.h"

namespace bh::bench {

namespace {

// Presses the default button of every message box once it is shown, as a user at the
// screen would, and counts the boxes.
class BoxAnswerer : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (box != nullptr && event->type() == QEvent::Show) {
            ++boxes;
            QTimer::singleShot(0, box, [box] {
                if (QPushButton* button = box->defaultButton()) {
                    button->click();
                } else {
                    box->accept();
                }
            });
        }
        return false;
    }
    int boxes = 0;
};

void RequireCopied(const ManagerRecord& record) {
    struct stat from {};
    struct stat to {};
    Require(::stat(record.sourcePath.c_str(), &from) == 0 &&
                ::stat(record.archivePath.c_str(), &to) == 0 &&
                from.st_mtim.tv_sec == to.st_mtim.tv_sec,
            "the backup");
}

// From the window's creation until Backup All has returned, its report answered.
double TimeWindowBackup(const std::string& managerPath) {
    PosixFileSystem fileSystem;
    QtShell shell;
    MemorySettingsStore settings;
    PosixClock clock;
    PosixSystemErrors errors;
    BoxAnswerer answerer;
    qApp->installEventFilter(&answerer);
    std::unique_ptr<BrackenholdApp> app;
    const double seconds = TimeSeconds([&] {
        app =
            std::make_unique<BrackenholdApp>(AppPorts{fileSystem, shell, settings, clock, errors});
        app->Start({managerPath});
        QCoreApplication::processEvents();
        Require(app->frame().RunCommand(kCmdBackupAll), "Backup All in the window");
    });
    qApp->removeEventFilter(&answerer);
    Require(answerer.boxes == 1, "the one report box");
    app->doc().SetModifiedFlag(false);
    app.reset();
    return seconds;
}

}  // namespace

void BenchGuiBackup(const Config& config) {
    ScratchFolder folder("gui-backup");
    GeneratedTree tree;
    TreeOptions options;
    options.entries = config.Scale(10000);
    options.fileBytes = 4096;
    options.mirrored = true;
    options.allUpToDate = true;
    Require(GenerateTree(folder.Path() + "/t", options, tree), "making the tree");
    std::int64_t clock = 1750000000;
    const auto timeChanged = [&](const std::function<double()>& backup) {
        Require(TouchSources(tree.records, ++clock), "changing the sources");
        SyncAll();
        const double seconds = backup();
        RequireCopied(tree.records.back());
        return seconds;
    };
    const std::vector<double> medians = Interleaved(
        config.runs,
        {[&] {
             return timeChanged([&] {
                 return TimeProgram({config.cli, "backup", tree.managerPath});
             });
         },
         [&] { return timeChanged([&] { return TimeWindowBackup(tree.managerPath); }); }});
    PrintBench({"gui-backup-10k", medians[1] * 1e3, medians[0] * 1e3, "ms", 1.2});
}

}  // namespace bh::bench
