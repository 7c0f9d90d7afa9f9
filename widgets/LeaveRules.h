#pragma once
// The rules a window runs when the focus leaves one of its boxes for another control of the
// same window (Tab, Shift+Tab, a click, a mnemonic): a date read and checked, a price
// converted into the other currency. Each rule runs once per leaving, after the focus has
// moved, and only while the window is shown. A window that acts on Enter without leaving the
// box first (Ok, Save) runs the pending rule, or the focused box's, through runPending(true).

#include <QObject>
#include <QPointer>
#include <functional>
#include <initializer_list>

class QWidget;

namespace widgets {

class TLeaveRules : public QObject {
public:
    // left: the box left; onEnter: run from runPending(true), not by the focus moving on.
    using Rule = std::function<void(QWidget* left, bool onEnter)>;

    TLeaveRules(QWidget* window, Rule rule);
    void watch(std::initializer_list<QWidget*> boxes);
    // Runs the rule of the box left last and not yet handled; with alsoFocused, of the
    // focused box when none is pending.
    void runPending(bool alsoFocused);
    // Forgets a leaving not yet handled (the window is reset).
    void clear() { m_pending = nullptr; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    Rule m_rule;
    QPointer<QWidget> m_pending;
};

}  // namespace widgets
