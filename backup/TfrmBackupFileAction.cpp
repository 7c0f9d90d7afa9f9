// The backup file action dialog. "Copy to diskette" copies to the medium or folder the user
// picks; a failed copy is reported and the mail step still runs.
#include "backup/TfrmBackupFileAction.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>

#include "lang/Language.h"
#include "platform/Platform.h"

TfrmBackupFileAction* frmBackupFileAction = nullptr;

TfrmBackupFileAction::TfrmBackupFileAction(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmBackupFileAction"));
    setWindowTitle(QStringLiteral("Backup File Action"));
    chkDiskette = new QCheckBox(QStringLiteral("Copy file to diskette"), this);
    chkDiskette->setObjectName(QStringLiteral("chkDiskette"));
    chkDiskette->setGeometry(8, 8, 170, 20);
    chkMail = new QCheckBox(QStringLiteral("Send file by mail"), this);
    chkMail->setObjectName(QStringLiteral("chkMail"));
    chkMail->setGeometry(8, 34, 170, 20);
    pnlMail = new QFrame(this);
    pnlMail->setObjectName(QStringLiteral("pnlMail"));
    pnlMail->setGeometry(182, 4, 218, 56);
    lbMailto = new QLabel(QStringLiteral("To:"), pnlMail);
    lbMailto->setObjectName(QStringLiteral("lbMailto"));
    lbMailto->setGeometry(4, 6, 40, 20);
    edMailto = new QLineEdit(pnlMail);
    edMailto->setObjectName(QStringLiteral("edMailto"));
    edMailto->setGeometry(48, 4, 166, 22);
    lbSubject = new QLabel(QStringLiteral("Subj:"), pnlMail);
    lbSubject->setObjectName(QStringLiteral("lbSubject"));
    lbSubject->setGeometry(4, 32, 40, 20);
    edSubject = new QLineEdit(pnlMail);
    edSubject->setObjectName(QStringLiteral("edSubject"));
    edSubject->setGeometry(48, 30, 166, 22);
    btOk = new QPushButton(QStringLiteral("Ok"), this);
    btOk->setObjectName(QStringLiteral("btOk"));
    btOk->setDefault(true);

    connect(chkMail, &QCheckBox::clicked, this, &TfrmBackupFileAction::chkMailClick);
    connect(edMailto, &QLineEdit::textChanged, this, &TfrmBackupFileAction::updateOk);
    connect(edSubject, &QLineEdit::textChanged, this, &TfrmBackupFileAction::updateOk);
    connect(btOk, &QPushButton::clicked, this, &TfrmBackupFileAction::btOkClick);
    frmBackupFileAction = this;
    FormActivate();
}

TfrmBackupFileAction::~TfrmBackupFileAction()
{
    if (frmBackupFileAction == this) frmBackupFileAction = nullptr;
}

void TfrmBackupFileAction::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TfrmBackupFileAction::reject()
{
}

void TfrmBackupFileAction::FormActivate()
{
    chkMailClick();
}

void TfrmBackupFileAction::chkMailClick()
{
    const bool mail = chkMail->isChecked();
    setFixedSize(mail ? 406 : 186, 100);
    btOk->setGeometry(mail ? 318 : 94, 66, 75, 25);
    pnlMail->setVisible(mail);
    updateOk();
}

void TfrmBackupFileAction::updateOk()
{
    const bool missing = edMailto->text().trimmed().isEmpty() || edSubject->text().trimmed().isEmpty();
    btOk->setEnabled(!(chkMail->isChecked() && missing));
}

void TfrmBackupFileAction::btOkClick()
{
    if (chkDiskette->isChecked()) copyToMedium();
    if (chkMail->isChecked()) sendByMail();
    accept();
}

void TfrmBackupFileAction::copyToMedium()
{
    const QString folder =
        platform::chooseFolder(this, TranslateMessage(QStringLiteral("Copy file to diskette")), QDir::homePath());
    if (folder.isEmpty()) return;  // the user cancelled: nothing to copy
    const QString target = QDir(folder).filePath(BackupFileName);
    if (QFileInfo(target).absoluteFilePath() == QFileInfo(BackupFilePath).absoluteFilePath()) return;
    if (QFileInfo::exists(target)) QFile::remove(target);
    if (!QFile::copy(BackupFilePath, target))
        LangMessageBox(this, QStringLiteral("Can't save the file to diskette"), QStringLiteral("Backup"),
                       platform::Icon::Warning, platform::Buttons::Ok);
}

void TfrmBackupFileAction::sendByMail()
{
    // Recipient and subject go in exactly as typed.
    const QString link = QStringLiteral("mailto:") + edMailto->text() + QStringLiteral("?subject=") + edSubject->text() +
                         QStringLiteral("&attach=\"") + BackupFilePath + QStringLiteral("\"");
    if (!platform::shellOpen(QUrl(link, QUrl::TolerantMode)))
        LangMessageBox(this, QStringLiteral("Can't open the mail window"), QStringLiteral("Backup"),
                       platform::Icon::Warning, platform::Buttons::Ok);
}
