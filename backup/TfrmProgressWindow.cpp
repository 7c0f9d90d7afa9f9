// The backup's progress window.
#include "backup/TfrmProgressWindow.h"

#include <QCloseEvent>
#include <QProgressBar>

TfrmProgressWindow::TfrmProgressWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmProgressWindow"));
    setWindowTitle(QStringLiteral("Progress"));
    setFixedSize(300, 48);
    setCursor(Qt::WaitCursor);
    pgProgress = new QProgressBar(this);
    pgProgress->setObjectName(QStringLiteral("pgProgress"));
    pgProgress->setRange(0, 100);
    pgProgress->setGeometry(8, 12, 284, 22);
}

void TfrmProgressWindow::SetProgress(int position)
{
    pgProgress->setValue(position);
    pgProgress->repaint();
}

void TfrmProgressWindow::SetProgressCaption(const QString& caption)
{
    setWindowTitle(caption);
}

void TfrmProgressWindow::finish()
{
    m_closable = true;
    close();
}

void TfrmProgressWindow::closeEvent(QCloseEvent* event)
{
    if (m_closable) QDialog::closeEvent(event);
    else event->ignore();
}

void TfrmProgressWindow::reject()
{
    if (m_closable) QDialog::reject();
}
