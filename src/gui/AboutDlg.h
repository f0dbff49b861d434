#pragma once

#include <QDialog>

class QPushButton;

namespace bh {

class Shell;
class UserInterface;

// The modal about box: the program's icon, version, a short description and an "email"
// button that opens the user's mail program addressed to the author.
class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    CAboutDlg(Shell& shell, UserInterface& ui, QWidget* parent = nullptr);

    QPushButton* EmailButton() const { return email_; }

  private:
    void OnEmail();

    Shell& shell_;
    UserInterface& ui_;
    QPushButton* email_;
};

}  // namespace bh
