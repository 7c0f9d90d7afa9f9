// TAfterShown: see AfterShown.h.

#include "stays/AfterShown.h"

#include <QEvent>
#include <QTimer>
#include <utility>

namespace stays {

TAfterShown::TAfterShown(QWidget* dialog) : QObject(dialog), m_dialog(dialog) { dialog->installEventFilter(this); }

void TAfterShown::say(std::function<void()> say)
{
    if (m_dialog && m_dialog->isVisible() && m_pending.empty()) {
        say();
        return;
    }
    m_pending.push_back(std::move(say));
}

bool TAfterShown::eventFilter(QObject* watched, QEvent* event)
{
    // The show event comes before the window is mapped: the messages follow once the event
    // loop has put it on screen.
    if (watched == m_dialog && event->type() == QEvent::Show && !m_pending.empty() && !m_queued) {
        m_queued = true;
        QTimer::singleShot(0, this, [this] { sayPending(); });
    }
    return QObject::eventFilter(watched, event);
}

void TAfterShown::sayPending()
{
    m_queued = false;
    // A message may add another; each goes out once, in order.
    while (!m_pending.empty()) {
        auto next = std::move(m_pending.front());
        m_pending.erase(m_pending.begin());
        next();
    }
}

}  // namespace stays
