#include "gui/AboutDlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "bh/Version.h"
#include "core/app/HelpCommands.h"
#include "gui/BuildConfig.h"

namespace bh {
namespace {

constexpr int kIconSize = 48;

QLabel* TextLabel(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

}  // namespace

CAboutDlg::CAboutDlg(Shell& shell, UserInterface& ui, QWidget* parent)
    : QDialog(parent), shell_(shell), ui_(ui), email_(new QPushButton(tr("email"), this)) {
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("About Brackenhold"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("programIcon"));
    icon->setPixmap(QIcon(QStringLiteral(":/icons/brackenhold.png")).pixmap(kIconSize, kIconSize));
    icon->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    auto* version =
        TextLabel(QStringLiteral("Brackenhold Version %1").arg(QLatin1String(kVersionText)),
                  "versionText", this);
    auto* notice =
        TextLabel(tr("Free software for keeping archive copies of files."), "noticeText", this);
    auto* description = TextLabel(
        tr("Brackenhold is an archive and distribution file manager. It copies a source file "
           "to an archive file whenever the archive is out of date. The source and archive can "
           "be located in arbitrary network folders."),
        "descriptionText", this);
    description->setWordWrap(true);
    auto* licence = TextLabel(tr("Licensed under the GNU General Public License, version 3 or "
                                 "(at your option) any later version; it comes with no "
                                 "warranty."),
                              "licenceText", this);
    licence->setWordWrap(true);

    email_->setObjectName(QStringLiteral("emailButton"));
    email_->setCursor(Qt::PointingHandCursor);
    email_->setAutoDefault(false);
    auto* address = TextLabel(QString::fromUtf8(kContactAddress), "contactAddress", this);
    address->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(email_, &QPushButton::clicked, this, &CAboutDlg::OnEmail);

    auto* texts = new QVBoxLayout;
    texts->addWidget(version);
    texts->addWidget(notice);
    texts->addSpacing(8);
    texts->addWidget(description);
    texts->addWidget(licence);
    auto* mailRow = new QHBoxLayout;
    mailRow->addWidget(email_);
    mailRow->addWidget(address, 1);
    texts->addLayout(mailRow);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(texts, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

void CAboutDlg::OnEmail() {
    SendMailToAuthor(shell_, ui_, kContactAddress);
}

}  // namespace bh
