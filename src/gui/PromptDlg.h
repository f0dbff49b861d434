#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

namespace bh {

// The one-line modal prompt. The caller fills the public fields, calls DoModal and, after OK,
// reads `text`. With allowBrowse set, a "<" button lets the user pick a new folder for the
// path in the edit while keeping its file name.
class CPromptDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CPromptDlg(QWidget* parent = nullptr);

    int allowBrowse = 0;
    unsigned editStyle = 0;  // kEsNumber: digits only
    QString caption;
    QString text;

    // Shows the dialog modally: kIdOk after OK or Enter (then `text` holds the edit's content),
    // kIdCancel otherwise.
    int DoModal();

    QLineEdit* Edit() const { return edit_; }
    QPushButton* BrowseButton() const { return browse_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Initialise();
    void Layout();
    void OnOk();
    void OnBrowse();
    QRect DialogUnits(int x, int y, int width, int height) const;

    QPushButton* ok_;
    QPushButton* cancel_;
    QLineEdit* edit_;
    QPushButton* browse_;
    bool initialised_ = false;
};

// The text after browsing: `folder` (given a separator unless it is empty or already ends in
// one) followed by what `oldText` has after its last '/' or '\\' (all of it when it has none).
QString JoinBrowsedFolder(const QString& folder, const QString& oldText);

// What the browser preselects for `text`: everything before its last separator.
QString BrowseStartFolder(const QString& text);

}  // namespace bh
