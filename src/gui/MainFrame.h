#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <QMainWindow>

#include "core/app/ActionState.h"
#include "core/app/CommandTable.h"

class QAction;
class QMenu;
class QToolBar;

namespace bh {

class OperationGate;
class SettingsStore;

// The top-level window: menus and accelerators built from the command table, the toolbar in
// the size that matches the list font, the status bar with its five panes, the list view as
// its client, and its placement kept in the settings.
class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    // `listFontPoints` (the stored list font size) chooses the toolbar set.
    CMainFrame(SettingsStore& settings, int listFontPoints, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Binds a command to its handler and its update handler. A command without an update
    // handler is always enabled.
    void SetCommand(int id, std::function<void()> run, std::function<ActionState()> update = {});
    // Runs a command the way a menu click does: only when its update handler enables it.
    // While another command or long operation runs, the command is held and runs (if then
    // still enabled) once that has ended. Returns whether it ran or was held.
    bool RunCommand(int id);
    // Asks every update handler for its state and applies it to the actions.
    void UpdateCommands();
    // The document's modified flag, its rows or their selection changed: the commands' states
    // follow at once, or, while a command runs, as soon as it has ended.
    void DocumentStateChanged();

    // Every command of the menus, toolbar and keys runs through this gate; so does any other
    // work that touches the document (timer ticks, open requests, drops).
    OperationGate& Gate() const { return *gate_; }
    QAction* Action(int id) const;

    // Runs the handler of command `id`: the program sets it so that the core decides which
    // commands hold the manager's lock. Unset, the handler runs as it is.
    std::function<void(int id, const std::function<void()>& handler)> runHandler;

    // Loads the toolbar set of that index: 0 small, 1 medium, 2 large.
    void ChangeToolbarSize(int index);
    int ToolbarSizeIndex() const { return toolbarIndex_; }
    QToolBar* ToolBar() const { return toolBar_; }

    // Shows the window, the first time at its stored placement.
    void ActivateFrame();
    // Writes the window placement and the toolbar state. Called when the window closes.
    void SavePlacement();

    // The caption follows the document's title.
    void RefreshCaption(const std::string& title);

    // The recent-file menu entries; an empty text hides its entry.
    void SetRecentFileTexts(const std::vector<std::string>& texts);

    // A fresh context menu built from its table; its items run the frame's commands.
    QMenu* CreateContextMenu(QWidget* parent);

    // Files dropped on the window, local paths in the order given.
    std::function<void(const std::vector<std::string>&)> onFilesDropped;
    // Asked when the user closes the window; false keeps it open.
    std::function<bool()> onCloseRequest;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    struct Handler {
        std::function<void()> run;
        std::function<ActionState()> update;
    };

    void Execute(int id);
    void RunHandler(int id);
    void CreateActions();
    void BuildMenus(QMenu* menu, const MenuItem* items, bool contextCopy);
    void CreateToolBar();
    void CreateStatusBar();
    void ApplyState(int id, QAction& action);
    bool RestorePlacement();

    SettingsStore& settings_;
    OperationGate* gate_;
    std::map<int, QAction*> actions_;
    std::map<int, Handler> handlers_;
    QToolBar* toolBar_ = nullptr;
    int toolbarIndex_ = 1;
    bool firstActivation_ = true;
    bool placementSaved_ = false;
};

// Toolbar set of a font size: (points - 10) / 5, sizes off the table taken to the nearest set.
int ToolbarIndexForPoints(int points);

}  // namespace bh
