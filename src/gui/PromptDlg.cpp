#include "gui/PromptDlg.h"

#include <QDir>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "core/ports/MessageBoxFlags.h"
#include "gui/BrowseForFolder.h"

namespace bh {
namespace {

// The dialog's size and controls in dialog units, so that they scale with the font.
constexpr int kWidth = 290;
constexpr int kHeight = 52;
const QRect kOkRect(87, 32, 50, 14);
const QRect kCancelRect(153, 32, 50, 14);
const QRect kEditRect(7, 7, 260, 14);
const QRect kBrowseRect(272, 7, 11, 14);

qsizetype LastSeparator(const QString& text) {
    return std::max(text.lastIndexOf(QLatin1Char('/')), text.lastIndexOf(QLatin1Char('\\')));
}

bool EndsWithSeparator(const QString& text) {
    return text.endsWith(QLatin1Char('/')) || text.endsWith(QLatin1Char('\\'));
}

}  // namespace

QString BrowseStartFolder(const QString& text) {
    const qsizetype at = LastSeparator(text);
    if (at < 0)
        return QString();
    // A file in the root folder ("/a.txt") starts the browser at the root, not nowhere.
    if (at == 0)
        return text.left(1);
    return text.left(at);
}

QString JoinBrowsedFolder(const QString& folder, const QString& oldText) {
    QString joined = QDir::toNativeSeparators(folder);
    if (!joined.isEmpty() && !EndsWithSeparator(joined)) {
        // Keep the folder's own separator style, so "Y:\new" becomes "Y:\new\...".
        const qsizetype at = LastSeparator(joined);
        joined += at >= 0 ? joined.at(at) : QDir::separator();
    }
    return joined + oldText.mid(LastSeparator(oldText) + 1);
}

CPromptDlg::CPromptDlg(QWidget* parent)
    : QDialog(parent),
      ok_(new QPushButton(tr("OK"), this)),
      cancel_(new QPushButton(tr("Cancel"), this)),
      edit_(new QLineEdit(this)),
      browse_(new QPushButton(QStringLiteral("<"), this)) {
    setObjectName(QStringLiteral("promptDialog"));
    ok_->setObjectName(QStringLiteral("okButton"));
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    edit_->setObjectName(QStringLiteral("edit"));
    browse_->setObjectName(QStringLiteral("browseButton"));
    ok_->setDefault(true);
    ok_->setAutoDefault(true);
    cancel_->setAutoDefault(false);
    browse_->setAutoDefault(false);
    setTabOrder(ok_, cancel_);
    setTabOrder(cancel_, edit_);
    setTabOrder(edit_, browse_);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    connect(ok_, &QPushButton::clicked, this, &CPromptDlg::OnOk);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(browse_, &QPushButton::clicked, this, &CPromptDlg::OnBrowse);
    Layout();
}

QRect CPromptDlg::DialogUnits(int x, int y, int width, int height) const {
    // A dialog unit is a quarter of the font's average character width horizontally and an
    // eighth of its height vertically.
    const QFontMetrics metrics(font());
    const QString sample = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int baseX = (metrics.horizontalAdvance(sample) / 26 + 1) / 2;
    const int baseY = metrics.height();
    return QRect(x * baseX / 4, y * baseY / 8, width * baseX / 4, height * baseY / 8);
}

void CPromptDlg::Layout() {
    const QRect size = DialogUnits(0, 0, kWidth, kHeight);
    setFixedSize(size.width(), size.height());
    ok_->setGeometry(DialogUnits(kOkRect.x(), kOkRect.y(), kOkRect.width(), kOkRect.height()));
    cancel_->setGeometry(
        DialogUnits(kCancelRect.x(), kCancelRect.y(), kCancelRect.width(), kCancelRect.height()));
    edit_->setGeometry(
        DialogUnits(kEditRect.x(), kEditRect.y(), kEditRect.width(), kEditRect.height()));
    browse_->setGeometry(
        DialogUnits(kBrowseRect.x(), kBrowseRect.y(), kBrowseRect.width(), kBrowseRect.height()));
}

void CPromptDlg::Initialise() {
    initialised_ = true;
    edit_->setText(text);
    if (editStyle & kEsNumber)
        edit_->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit_));
    setWindowTitle(caption);
    if (allowBrowse == 0) {
        browse_->hide();
        QRect geometry = edit_->geometry();
        geometry.setRight(browse_->geometry().right());
        edit_->setGeometry(geometry);
    } else {
        browse_->show();
    }
    ok_->setFocus(Qt::OtherFocusReason);
}

void CPromptDlg::showEvent(QShowEvent* event) {
    if (!initialised_)
        Initialise();
    QDialog::showEvent(event);
}

int CPromptDlg::DoModal() {
    return exec() == QDialog::Accepted ? kIdOk : kIdCancel;
}

void CPromptDlg::OnOk() {
    text = edit_->text();
    accept();
}

void CPromptDlg::OnBrowse() {
    text = edit_->text();
    QString folder = BrowseStartFolder(text);
    if (!BrowseForFolder(this, folder, tr("Choose New Archive Folder")))
        return;
    text = JoinBrowsedFolder(folder, text);
    edit_->setText(text);
}

}  // namespace bh
