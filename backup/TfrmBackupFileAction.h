#pragma once
// TfrmBackupFileAction: offered after a backup; copies the archive to a removable medium or
// folder the user picks, and hands it to the mail program through a mailto: link.
// Its check boxes and fields keep their contents from one backup to the next.

#include <QDialog>
#include <QString>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class TfrmBackupFileAction : public QDialog {
    Q_OBJECT
public:
    explicit TfrmBackupFileAction(QWidget* parent = nullptr);
    ~TfrmBackupFileAction() override;

    QString BackupFileName;  // the archive's file name alone
    QString BackupFilePath;  // its full path

    // Work on being shown: the layout for the mail box and the OK rule.
    void FormActivate();

    QCheckBox* chkDiskette = nullptr;
    QCheckBox* chkMail = nullptr;
    QFrame* pnlMail = nullptr;
    QLabel* lbMailto = nullptr;
    QLineEdit* edMailto = nullptr;
    QLabel* lbSubject = nullptr;
    QLineEdit* edSubject = nullptr;
    QPushButton* btOk = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;  // no close box and no cancel: only Ok closes

private:
    void chkMailClick();
    void updateOk();
    void btOkClick();
    void copyToMedium();
    void sendByMail();
};

// The one instance (created at start-up by the shell, or on first use).
extern TfrmBackupFileAction* frmBackupFileAction;
