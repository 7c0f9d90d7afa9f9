#pragma once
// TAfterShown: what a dialog has to say while it loads (a table that cannot be read, a record
// not found) waits until the dialog is on screen, so the message stands over the dialog it is
// about rather than over the bare board. Once the dialog is shown, what is said goes out at
// once.
//
// Invariants: messages go out in the order they were said, each once; a dialog hidden before
// its pending messages went out drops them with its next activation (clear()).

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

namespace stays {

class TAfterShown : public QObject {
public:
    explicit TAfterShown(QWidget* dialog);

    // Runs `say` now when the dialog is on screen, else as soon as it is.
    void say(std::function<void()> say);
    // Forgets what is still waiting (a new activation starts afresh).
    void clear() { m_pending.clear(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void sayPending();

    QPointer<QWidget> m_dialog;
    std::vector<std::function<void()>> m_pending;
    bool m_queued = false;
};

}  // namespace stays
