#include "gui/QtUserInterface.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

#include "core/ports/MessageBoxFlags.h"
#include "gui/PromptDlg.h"
#include "gui/StatusPanes.h"
#include "gui/StatusProgress.h"

namespace bh {
namespace {

struct ButtonSet {
    QMessageBox::StandardButton buttons[3];
    int count;
    QMessageBox::StandardButton escape;  // NoButton: Escape does nothing
};

// Buttons in the order the flags name them; the default-button bits count in this order.
ButtonSet ButtonsOf(unsigned flags) {
    switch (flags & kMbButtonMask) {
        case kMbOkCancel:
            return {{QMessageBox::Ok, QMessageBox::Cancel}, 2, QMessageBox::Cancel};
        case kMbYesNoCancel:
            return {
                {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}, 3, QMessageBox::Cancel};
        case kMbYesNo:
            return {{QMessageBox::Yes, QMessageBox::No}, 2, QMessageBox::No};
        default:
            return {{QMessageBox::Ok}, 1, QMessageBox::Ok};
    }
}

QMessageBox::Icon IconOf(unsigned flags) {
    switch (flags & kMbIconMask) {
        case kMbIconHand:
            return QMessageBox::Critical;
        case kMbIconQuestion:
            return QMessageBox::Question;
        case kMbIconExclamation:
            return QMessageBox::Warning;
        case kMbIconInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

int DefaultIndexOf(unsigned flags, int count) {
    int index = 0;
    if ((flags & kMbDefButtonMask) == kMbDefButton2)
        index = 1;
    else if ((flags & kMbDefButtonMask) == kMbDefButton3)
        index = 2;
    return index < count ? index : 0;
}

int AnswerOf(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Ok:
            return kIdOk;
        case QMessageBox::Yes:
            return kIdYes;
        case QMessageBox::No:
            return kIdNo;
        default:
            return kIdCancel;
    }
}

QString FromCore(const std::string& text) {
    return QString::fromStdString(text);
}

// Longest run of characters a message box line keeps without a place to break.
constexpr int kMaxUnbrokenRun = 30;
constexpr QChar kZeroWidthSpace(0x200B);

// A message box wraps its text at blanks only; a long path or file name would make a line
// wider than the box allows, and Qt then cuts the text off at the bottom, so that what
// follows the path (the system's reason) is lost. Long runs get invisible break points:
// after each path separator and after every kMaxUnbrokenRun characters.
QString WithBreakPoints(const QString& text) {
    QString result;
    result.reserve(text.size() + text.size() / kMaxUnbrokenRun);
    qsizetype runStart = 0;
    auto flushRun = [&](qsizetype end) {
        const QStringView run = QStringView(text).mid(runStart, end - runStart);
        if (run.size() <= kMaxUnbrokenRun) {
            result += run;
            return;
        }
        int sinceBreak = 0;
        for (qsizetype i = 0; i < run.size(); ++i) {
            const QChar c = run[i];
            result += c;
            if (c.isHighSurrogate())
                continue;
            ++sinceBreak;
            if (c == QLatin1Char('/') || c == QLatin1Char('\\') || sinceBreak >= kMaxUnbrokenRun) {
                result += kZeroWidthSpace;
                sinceBreak = 0;
            }
        }
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isSpace()) {
            flushRun(i);
            result += text[i];
            runStart = i + 1;
        }
    }
    flushRun(text.size());
    return result;
}

// "*.*" matches only names with a dot outside Windows; "*" is what it means there.
QString EveryFilePattern(QString pattern) {
#ifndef Q_OS_WIN
    if (pattern == QLatin1String("*.*"))
        return QStringLiteral("*");
#endif
    return pattern;
}

}  // namespace

QStringList NameFiltersFromPairs(const std::string& filter) {
    const QStringList parts = FromCore(filter).split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2) {
        const QString& name = parts[i];
        QStringList written;
        QStringList meant;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            written << pattern.trimmed();
            meant << EveryFilePattern(pattern.trimmed());
        }
        // The dialog takes the patterns from the name's last parenthesis, so a name that
        // lists them already is shown as written.
        const qsizetype open = name.lastIndexOf(QLatin1Char('('));
        const bool listsPatterns = open >= 0 && name.endsWith(QLatin1Char(')'));
        const QStringList listed = listsPatterns ? name.mid(open + 1, name.size() - open - 2)
                                                       .split(QLatin1Char(' '), Qt::SkipEmptyParts)
                                                 : QStringList();
        if (listed == meant) {
            result << name;
        } else if (listsPatterns && listed == written) {
            QString inner = name.mid(open);
            for (qsizetype k = 0; k < written.size(); ++k)
                inner.replace(written[k], meant[k]);
            result << name.left(open) + inner;
        } else {
            result << name + QStringLiteral(" (") + meant.join(QLatin1Char(' ')) + QLatin1Char(')');
        }
    }
    return result;
}

QtUserInterface::QtUserInterface(QWidget* owner) : owner_(owner) {}

QtUserInterface::~QtUserInterface() {
    while (waitCursorDepth_ > 0)
        EndWaitCursor();
}

void QtUserInterface::SetOwner(QWidget* owner) {
    owner_ = owner;
}

void QtUserInterface::SetStatusBar(QStatusBar* statusBar) {
    statusBar_ = statusBar;
}

void QtUserInterface::SetIdleTextHandler(std::function<void(const QString&)> handler) {
    idleText_ = std::move(handler);
}

void QtUserInterface::SetCaptionHandler(std::function<void(const QString&)> handler) {
    caption_ = std::move(handler);
}

QWidget* QtUserInterface::DialogParent() const {
    return owner_ ? owner_.data() : QApplication::activeWindow();
}

int QtUserInterface::MessageBox(const std::string& text, const std::string& caption,
                                unsigned flags) {
    const ButtonSet set = ButtonsOf(flags);
    QMessageBox box(IconOf(flags), FromCore(caption), WithBreakPoints(FromCore(text)),
                    QMessageBox::NoButton, DialogParent());
    QPushButton* buttons[3] = {};
    for (int i = 0; i < set.count; ++i)
        buttons[i] = box.addButton(set.buttons[i]);
    box.setDefaultButton(buttons[DefaultIndexOf(flags, set.count)]);
    box.setEscapeButton(box.button(set.escape));
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (int i = 0; i < set.count; ++i) {
        if (clicked == buttons[i])
            return AnswerOf(set.buttons[i]);
    }
    return AnswerOf(set.escape);
}

FileDialogResult QtUserInterface::FileDialog(const FileDialogRequest& request) {
    QFileDialog dialog(DialogParent(), FromCore(request.title), FromCore(request.initialFolder));
    dialog.setObjectName(QStringLiteral("fileDialog"));
    const QStringList filters = NameFiltersFromPairs(request.filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (request.kind == FileDialogKind::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite,
                         (request.options & kOfnOverwritePrompt) == 0);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode((request.options & kOfnAllowMultiSelect) ? QFileDialog::ExistingFiles
                                                                    : QFileDialog::ExistingFile);
    }
    if (!request.initialName.empty())
        dialog.selectFile(FromCore(request.initialName));

    FileDialogResult result;
    if (dialog.exec() != QDialog::Accepted)
        return result;
    for (const QString& path : dialog.selectedFiles())
        result.paths.push_back(path.toStdString());
    result.confirmed = !result.paths.empty();
    return result;
}

int QtUserInterface::Prompt(PromptRequest& request) {
    CPromptDlg dialog(DialogParent());
    dialog.allowBrowse = request.allowBrowse ? 1 : 0;
    dialog.editStyle = request.editStyle;
    dialog.caption = FromCore(request.caption);
    dialog.text = FromCore(request.text);
    const int answer = dialog.DoModal();
    request.text = dialog.text.toStdString();
    return answer;
}

int QtUserInterface::ChooseFromList(const std::string& text, const std::string& caption,
                                    const std::vector<std::string>& items) {
    QStringList lines;
    for (const std::string& item : items) {
        lines.append(FromCore(item));
    }
    bool ok = false;
    const QString chosen = QInputDialog::getItem(DialogParent(), FromCore(caption), FromCore(text),
                                                 lines, 0, false, &ok);
    return ok ? static_cast<int>(lines.indexOf(chosen)) : -1;
}

void QtUserInterface::Beep() {
    QApplication::beep();
}

void QtUserInterface::BeginWaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++waitCursorDepth_;
}

void QtUserInterface::EndWaitCursor() {
    // Only the cursors set here are taken away, so an unmatched end cannot drop another's.
    if (waitCursorDepth_ == 0)
        return;
    --waitCursorDepth_;
    QApplication::restoreOverrideCursor();
}

std::unique_ptr<ProgressIndicator> QtUserInterface::CreateStatusProgress(
    const std::string& caption) {
    // The designed place: across the whole bar (pane -1), 10 pixels after the caption, as wide
    // as the bar allows; control id 1.
    return bh::CreateStatusProgress(statusBar_.data(), caption, -1, 10, -1, 1);
}

void QtUserInterface::ShowIdleMessage() {
    const QString ready = QStringLiteral("Ready");
    if (idleText_)
        idleText_(ready);
    else if (statusBar_)
        SetStatusPaneText(*statusBar_, 0, ready);
}

void QtUserInterface::RefreshCaption(const std::string& title) {
    if (caption_)
        caption_(FromCore(title));
}

}  // namespace bh
