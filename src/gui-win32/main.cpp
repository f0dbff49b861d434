#include "gui-win32/WinApi.h"

#include <objbase.h>

#include <clocale>
#include <string>
#include <vector>

#include "gui-win32/RegistrySettingsStore.h"
#include "gui-win32/WideText.h"
#include "gui-win32/Win32App.h"
#include "gui-win32/Win32CommandLine.h"
#include "gui-win32/Win32Shell.h"
#include "gui-win32/Win32SingleInstance.h"
#include "platform/NativePlatform.h"

namespace {

std::vector<std::string> Arguments() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(bh::Utf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

int MessageLoop(HWND frame, HACCEL accelerators) {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (accelerators && TranslateAcceleratorW(frame, accelerators, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // The core formats dates with strftime and numbers with printf in the "C" locale.
    std::setlocale(LC_ALL, "C");
    const bh::Win32CommandLine commandLine = bh::ParseWin32CommandLine(Arguments());
    if (commandLine.action != bh::Win32CommandLine::Action::Run) {
        const bool error = commandLine.action == bh::Win32CommandLine::Action::Error;
        MessageBoxW(nullptr, bh::Wide(commandLine.text).c_str(), L"Brackenhold",
                    MB_OK | (error ? MB_ICONHAND : MB_ICONINFORMATION));
        return error ? 2 : 0;
    }
    std::vector<std::string> files;
    if (!commandLine.manager.empty())
        files.push_back(commandLine.manager);
    bh::Win32SingleInstance instance;
    if (instance.ForwardToRunning(files))
        return 0;

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    bh::NativeFileSystem fileSystem;
    bh::Win32Shell shell;
    bh::RegistrySettingsStore settings;
    bh::NativeClock clock;
    bh::NativeSystemErrors systemErrors;
    int result = 1;
    {
        bh::Win32App app(bh::Win32AppPorts{fileSystem, shell, settings, clock, systemErrors});
        if (app.Start(files))
            result = MessageLoop(app.frame().handle(), app.frame().accelerators());
        app.Exit();
    }
    CoUninitialize();
    return result;
}
