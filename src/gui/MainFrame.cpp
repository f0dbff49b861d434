#include "gui/MainFrame.h"

#include <cstdio>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QUrl>

#include "core/base/CommandIds.h"
#include "core/base/Format.h"
#include "core/base/Settings.h"
#include "gui/OperationGate.h"
#include "gui/StatusPanes.h"

namespace bh {
namespace {

struct ToolbarSet {
    QSize iconSize;
    bool separators;
};

constexpr int kToolbarSetCount = 3;
const ToolbarSet kToolbarSets[kToolbarSetCount] = {
    {QSize(16, 15), false},
    {QSize(24, 23), false},
    {QSize(31, 32), true},
};

struct ToolbarButton {
    int id;
    const char* iconName;
    QStyle::StandardPixmap fallback;
    const char* toolTip;
};

const ToolbarButton kToolbarButtons[] = {
    {kCmdFileNew, "new", QStyle::SP_FileIcon, "New"},
    {kCmdFileOpen, "open", QStyle::SP_DialogOpenButton, "Open"},
    {kCmdFileSave, "save", QStyle::SP_DialogSaveButton, "Save"},
    {kCmdBackupAll, "backup", QStyle::SP_BrowserReload, "Backup All"},
    {kCmdAbout, "about", QStyle::SP_MessageBoxQuestion, "About"},
};

// Buttons after which the large set has a separator.
bool SeparatorAfter(int id) {
    return id == kCmdFileSave || id == kCmdBackupAll;
}

// Summary panes 1 to 4 with their ids' sizing texts.
const QString kPanePrototypes[kStatusPaneCount - 1] = {
    QStringLiteral("     \t100 Problems"),
    QStringLiteral("     \t100 Obsolete"),
    QStringLiteral("   \t1000 Files"),
    QStringLiteral("     \t1000 KB"),
};

QIcon ToolbarIcon(const ToolbarButton& button, QSize size, QStyle& style) {
    const QString path = QStringLiteral(":/toolbar/%1x%2/%3.png")
                             .arg(size.width())
                             .arg(size.height())
                             .arg(QLatin1String(button.iconName));
    if (QFile::exists(path))
        return QIcon(path);
    return style.standardIcon(button.fallback);
}

QString MenuText(const MenuItem& item, const CommandInfo* info) {
    if (item.text != nullptr)
        return QString::fromUtf8(item.text);
    return info ? QString::fromStdString(CommandText(*info)) : QString();
}

}  // namespace

int ToolbarIndexForPoints(int points) {
    const int index = (points - 10 + 2) / 5;
    if (points < 10)
        return 0;
    return index >= kToolbarSetCount ? kToolbarSetCount - 1 : index;
}

CMainFrame::CMainFrame(SettingsStore& settings, int listFontPoints, QWidget* parent)
    : QMainWindow(parent), settings_(settings), gate_(new OperationGate(*this, this)) {
    setObjectName(QStringLiteral("mainFrame"));
    gate_->onIdle = [this] { UpdateCommands(); };
    setAcceptDrops(true);
    CreateActions();
    BuildMenus(nullptr, MenuBarLayout(), false);
    CreateToolBar();
    CreateStatusBar();
    toolbarIndex_ = -1;
    ChangeToolbarSize(ToolbarIndexForPoints(listFontPoints));
    SetRecentFileTexts({});
    RefreshCaption("");
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::RunHandler(int id) {
    const auto found = handlers_.find(id);
    if (found == handlers_.end() || !found->second.run)
        return;
    if (runHandler)
        runHandler(id, found->second.run);
    else
        found->second.run();
}

void CMainFrame::Execute(int id) {
    // The about box reads nothing of the document, so a timer tick may run behind it.
    if (id == kCmdAbout) {
        RunHandler(id);
        UpdateCommands();
        return;
    }
    // A command that comes while another runs (possible only from inside that one's event
    // loop) is refused; the gate's onIdle updates the states afterwards.
    gate_->RunIfIdle([this, id] { RunHandler(id); });
}

void CMainFrame::CreateActions() {
    for (const CommandInfo& info : Commands()) {
        auto* action = new QAction(QString::fromStdString(CommandText(info)), this);
        action->setObjectName(QStringLiteral("command%1").arg(info.id));
        action->setData(info.id);
        if (*info.shortcut != '\0') {
            action->setShortcut(QKeySequence(QString::fromLatin1(info.shortcut)));
            action->setShortcutContext(Qt::WindowShortcut);
        }
        action->setStatusTip(QString::fromUtf8(info.statusTip));
        addAction(action);  // accelerators work while the menus are closed
        connect(action, &QAction::triggered, this, [this, id = info.id] { Execute(id); });
        actions_[info.id] = action;
    }
    // The recent-file entries stay out of sight until the list has them.
    for (int i = 0; i < kRecentFileCount; ++i)
        actions_[kCmdRecentFileFirst + i]->setVisible(false);
}

void CMainFrame::BuildMenus(QMenu* menu, const MenuItem* items, bool contextCopy) {
    for (const MenuItem* item = items; item->kind != MenuItem::Kind::End; ++item) {
        switch (item->kind) {
            case MenuItem::Kind::Popup: {
                QMenu* popup = menu ? menu->addMenu(QString::fromUtf8(item->text))
                                    : menuBar()->addMenu(QString::fromUtf8(item->text));
                if (!contextCopy)
                    connect(popup, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
                BuildMenus(popup, item->items, contextCopy);
                break;
            }
            case MenuItem::Kind::Separator:
                if (menu)
                    menu->addSeparator();
                break;
            case MenuItem::Kind::Command: {
                QAction* action = Action(item->id);
                if (!menu || !action)
                    break;
                if (!contextCopy) {
                    if (item->text)
                        action->setText(QString::fromUtf8(item->text));
                    menu->addAction(action);
                    break;
                }
                // The context menu shows its own texts; its items run the same commands.
                auto* copy = menu->addAction(MenuText(*item, FindCommand(item->id)));
                copy->setData(item->id);
                copy->setEnabled(action->isEnabled());
                copy->setCheckable(action->isCheckable());
                copy->setChecked(action->isChecked());
                connect(copy, &QAction::triggered, action, &QAction::trigger);
                break;
            }
            case MenuItem::Kind::End:
                break;
        }
    }
}

QMenu* CMainFrame::CreateContextMenu(QWidget* parent) {
    UpdateCommands();
    auto* menu = new QMenu(parent);
    BuildMenus(menu, ContextMenuLayout(), true);
    return menu;
}

void CMainFrame::CreateToolBar() {
    toolBar_ = new QToolBar(QStringLiteral("Standard"), this);
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setFloatable(true);
    toolBar_->setMovable(true);
    addToolBar(Qt::TopToolBarArea, toolBar_);
    QAction* toggle = Action(kCmdViewToolbar);
    toggle->setCheckable(true);
    toggle->setChecked(true);
    connect(toggle, &QAction::toggled, toolBar_, &QToolBar::setVisible);
    connect(toolBar_, &QToolBar::visibilityChanged, toggle, &QAction::setChecked);
}

void CMainFrame::ChangeToolbarSize(int index) {
    if (index < 0)
        index = 0;
    if (index >= kToolbarSetCount)
        index = kToolbarSetCount - 1;
    if (index == toolbarIndex_)
        return;
    toolbarIndex_ = index;
    const ToolbarSet& set = kToolbarSets[index];
    toolBar_->clear();
    toolBar_->setIconSize(set.iconSize);
    for (const ToolbarButton& button : kToolbarButtons) {
        QAction* action = Action(button.id);
        action->setIcon(ToolbarIcon(button, set.iconSize, *style()));
        action->setToolTip(QString::fromLatin1(button.toolTip));
        toolBar_->addAction(action);
        if (set.separators && SeparatorAfter(button.id))
            toolBar_->addSeparator();
    }
    // Hiding and showing again lets the frame lay its bars out for the new size.
    if (toolBar_->isVisible()) {
        toolBar_->hide();
        toolBar_->show();
    }
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    CreateStatusPanes(*bar, kPanePrototypes);
    // The first pane says "Ready" whenever no menu prompt or progress caption is shown, as
    // when the program has just started or a menu has closed.
    const QString ready = QStringLiteral("Ready");
    connect(bar, &QStatusBar::messageChanged, this, [bar, ready](const QString& text) {
        if (text.isEmpty())
            bar->showMessage(ready);
    });
    bar->showMessage(ready);
    QAction* toggle = Action(kCmdViewStatusBar);
    toggle->setCheckable(true);
    toggle->setChecked(true);
    connect(toggle, &QAction::toggled, bar, &QStatusBar::setVisible);
}

void CMainFrame::SetCommand(int id, std::function<void()> run,
                            std::function<ActionState()> update) {
    handlers_[id] = Handler{std::move(run), std::move(update)};
}

QAction* CMainFrame::Action(int id) const {
    const auto found = actions_.find(id);
    return found == actions_.end() ? nullptr : found->second;
}

void CMainFrame::ApplyState(int id, QAction& action) {
    const auto found = handlers_.find(id);
    if (found == handlers_.end()) {
        // Toolbar and status-bar switches are the frame's own; others wait for a handler.
        if (id != kCmdViewToolbar && id != kCmdViewStatusBar)
            action.setEnabled(false);
        return;
    }
    if (!found->second.update) {
        action.setEnabled(true);
        return;
    }
    const ActionState state = found->second.update();
    action.setEnabled(state.enabled);
    action.setCheckable(state.checkable);
    if (state.checkable)
        action.setChecked(state.checked);
    if (!state.text.empty())
        action.setText(QString::fromStdString(state.text));
}

void CMainFrame::UpdateCommands() {
    for (auto& [id, action] : actions_)
        ApplyState(id, *action);
}

bool CMainFrame::RunCommand(int id) {
    QAction* action = Action(id);
    if (!action)
        return false;
    ApplyState(id, *action);
    if (!action->isEnabled())
        return false;
    if (gate_->Busy()) {
        gate_->RunOrHold([this, id] {
            QAction* held = Action(id);
            ApplyState(id, *held);
            if (held->isEnabled())
                RunHandler(id);
        });
        return true;
    }
    action->trigger();
    return true;
}

void CMainFrame::DocumentStateChanged() {
    if (!gate_->Busy())
        UpdateCommands();
}

void CMainFrame::RefreshCaption(const std::string& title) {
    const QString app = QStringLiteral("Brackenhold");
    setWindowTitle(title.empty() ? app
                                 : QString::fromStdString(title) + QStringLiteral(" - ") + app);
}

void CMainFrame::SetRecentFileTexts(const std::vector<std::string>& texts) {
    for (int i = 0; i < kRecentFileCount; ++i) {
        QAction* action = Action(kCmdRecentFileFirst + i);
        const bool present = i < static_cast<int>(texts.size()) && !texts[i].empty();
        action->setVisible(present);
        if (present)
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(
                QString::fromStdString(texts[i]).replace(QLatin1Char('&'), QStringLiteral("&&"))));
    }
}

bool CMainFrame::RestorePlacement() {
    const std::string rect = ReadSetting(settings_, kSettingWindowRect);
    int left = 0, top = 0, right = 0, bottom = 0;
    if (rect.empty() || std::sscanf(rect.c_str(), "%d %d %d %d", &left, &top, &right, &bottom) != 4)
        return false;
    const bool maximized = ReadSetting(settings_, kSettingWindowMaximized) != 0;
    const bool minimized = ReadSetting(settings_, kSettingWindowMinimized) != 0;
    const QByteArray state = QByteArray::fromBase64(
        QByteArray::fromStdString(ReadSetting(settings_, kSettingToolbarState)));
    if (!state.isEmpty())
        restoreState(state);
    setGeometry(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
    if (minimized)
        setWindowState(maximized ? Qt::WindowMinimized | Qt::WindowMaximized : Qt::WindowMinimized);
    else if (maximized)
        setWindowState(Qt::WindowMaximized);
    show();
    return true;
}

void CMainFrame::ActivateFrame() {
    if (firstActivation_) {
        firstActivation_ = false;
        if (RestorePlacement())
            return;
        // Without a stored place the window manager places the window, but its size would be
        // the layout's minimum: a window a few columns wide. Three quarters of the screen is
        // what a desktop gives a new document window.
        if (const QScreen* screen = this->screen())
            resize(screen->availableGeometry().size() * 3 / 4);
    }
    show();
    raise();
    activateWindow();
}

void CMainFrame::SavePlacement() {
    const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    const Qt::WindowStates state = windowState();
    const int icon = state.testFlag(Qt::WindowMinimized) ? 1 : 0;
    const int max = state.testFlag(Qt::WindowMaximized) ? 1 : 0;
    WriteSetting(settings_, kSettingWindowRect,
                 Format("%04d %04d %04d %04d", normal.left(), normal.top(),
                        normal.left() + normal.width(), normal.top() + normal.height()));
    WriteSetting(settings_, kSettingWindowMinimized, icon);
    WriteSetting(settings_, kSettingWindowMaximized, max);
    WriteSetting(settings_, kSettingToolbarState, saveState().toBase64().toStdString());
    placementSaved_ = true;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (onCloseRequest && !onCloseRequest()) {
        event->ignore();
        return;
    }
    if (!placementSaved_)
        SavePlacement();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths.push_back(url.toLocalFile().toStdString());
    }
    if (paths.empty())
        return;
    event->acceptProposedAction();
    if (onFilesDropped)
        onFilesDropped(paths);
}

}  // namespace bh
