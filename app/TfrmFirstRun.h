#pragma once
// frmFirstRun: the window an installed program shows at its first start when no database
// is set up: "Create an empty database", "Open the demo hotel", "Use an existing folder…",
// "Connect to a server…". The choice that worked is in the settings file when it closes.

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tamarel {

class TfrmFirstRun : public QDialog {
    Q_OBJECT
public:
    TfrmFirstRun(QString defaultFolder, QString settingsFile, QWidget* parent = nullptr);
    // The database kept, once the dialog was accepted.
    QString database() const { return m_database; }

    QPushButton* btEmpty = nullptr;
    QPushButton* btDemo = nullptr;
    QPushButton* btExisting = nullptr;
    QPushButton* btServer = nullptr;
    QLineEdit* edServer = nullptr;
    QPushButton* btConnect = nullptr;
    QPushButton* btQuit = nullptr;

private:
    void choose(int choice, const QString& folderOrUri);

    QString m_defaultFolder, m_settingsFile, m_database;
};

}  // namespace tamarel
