#pragma once
// TfrmProgressWindow: the small "Progress" window a backup shows while it runs. It stays on
// top, cannot be closed by the user, and repaints at once when its position changes, since
// the backup runs on the user-interface thread without returning to the event loop.

#include <QDialog>

class QProgressBar;

class TfrmProgressWindow : public QDialog {
    Q_OBJECT
public:
    explicit TfrmProgressWindow(QWidget* parent = nullptr);

    void SetProgress(int position);  // 0 to 100
    void SetProgressCaption(const QString& caption);
    // Lets the window close (the backup is over) and closes it.
    void finish();

    QProgressBar* pgProgress = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    bool m_closable = false;
};
