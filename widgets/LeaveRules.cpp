#include "widgets/LeaveRules.h"

#include <QFocusEvent>
#include <QTimer>
#include <QWidget>

namespace widgets {

namespace {
// The focus went to another control of the window, not to another window or program.
bool leftWithinWindow(QEvent* event)
{
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason
        || reason == Qt::ShortcutFocusReason || reason == Qt::OtherFocusReason;
}
}  // namespace

TLeaveRules::TLeaveRules(QWidget* window, Rule rule) : QObject(window), m_window(window), m_rule(std::move(rule)) {}

void TLeaveRules::watch(std::initializer_list<QWidget*> boxes)
{
    for (QWidget* box : boxes) box->installEventFilter(this);
}

bool TLeaveRules::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && leftWithinWindow(event) && m_window->isVisible()) {
        m_pending = qobject_cast<QWidget*>(watched);
        QTimer::singleShot(0, this, [this] {
            if (m_window->isVisible()) runPending(false);
        });
    }
    return QObject::eventFilter(watched, event);
}

void TLeaveRules::runPending(bool alsoFocused)
{
    QWidget* box = m_pending ? m_pending.data() : (alsoFocused ? m_window->focusWidget() : nullptr);
    m_pending = nullptr;
    if (box) m_rule(box, alsoFocused);
}

}  // namespace widgets
