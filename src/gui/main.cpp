#include <clocale>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QSessionManager>
#include <QStringList>

#include "gui/BrackenholdApp.h"
#include "gui/GuiCommandLine.h"
#include "gui/QtSettingsStore.h"
#include "gui/QtShell.h"
#include "gui/SingleInstance.h"
#include "platform/NativePlatform.h"

namespace {

// Help and version go to stdout, errors to stderr. A text that could not be written all is a
// failure, never a silent success.
int PrintAndExit(const bh::GuiCommandLine& commandLine) {
    const bool isError = commandLine.action == bh::GuiCommandLine::Action::Error;
    std::FILE* stream = isError ? stderr : stdout;
    const QByteArray text = commandLine.text.toLocal8Bit();
    const bool written = std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()),
                                     stream) == static_cast<std::size_t>(text.size()) &&
                         std::fflush(stream) == 0;
    if (isError)
        return 2;
    return written ? 0 : 4;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Qt has just taken the user's locale for the C library. The core formats dates with
    // strftime ("%p" must stay AM/PM) and pane numbers with printf ("%.0f"); both are meant
    // in the "C" locale, whatever the desktop's language.
    std::setlocale(LC_TIME, "C");
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setOrganizationName(QStringLiteral("Tallowmere"));
    QApplication::setApplicationName(QStringLiteral("Brackenhold"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/brackenhold.png")));

    QGuiApplication::setDesktopFileName(QStringLiteral("org.tallowmere.Brackenhold"));

    const bh::GuiCommandLine commandLine = bh::ParseGuiCommandLine(QApplication::arguments());
    if (commandLine.action != bh::GuiCommandLine::Action::Run)
        return PrintAndExit(commandLine);
    QStringList files;
    if (!commandLine.manager.isEmpty())
        files.append(commandLine.manager);
    // A second start hands its file to the program already running and ends.
    bh::SingleInstance instance;
    if (instance.ForwardToRunning(files))
        return 0;
    instance.Listen();

    bh::NativeFileSystem fileSystem;
    bh::QtShell shell;
    bh::QtSettingsStore settings;
    bh::NativeClock clock;
    bh::NativeSystemErrors systemErrors;
    const std::unique_ptr<bh::DesktopNotifier> notifier = bh::MakeNativeDesktopNotifier();
    bh::BrackenholdApp app(bh::AppPorts{fileSystem, shell, settings, clock, systemErrors, nullptr,
                                        nullptr, notifier.get()});

    std::vector<std::string> names;
    for (const QString& file : files)
        names.push_back(file.toStdString());
    app.Start(names);

    QObject::connect(&instance, &bh::SingleInstance::filesReceived, &app,
                     [&app](const QStringList& received) {
                         std::vector<std::string> paths;
                         for (const QString& file : received)
                             paths.push_back(file.toStdString());
                         app.ShellOpen(paths);
                     });
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &app,
                     [&app](QSessionManager&) { app.SaveForSessionEnd(); });
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &app, [&app, &settings] {
        app.Exit();
        settings.Sync();
    });
    return application.exec();
}
