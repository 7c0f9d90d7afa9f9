// TDateEdit: masked date box with a calendar dialog and the check on leaving.
//
// The Qt input mask uses a blank as its fill character, so displayText() is exactly the
// text the statements expect ("  .  .    " when empty); QLineEdit::text() would drop the
// blanks, which is why text() is re-declared here.
#include "widgets/DateEdit.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QTextCharFormat>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/Platform.h"

namespace widgets {

namespace {

const char* const kDialogTitleProperty = "DialogTitle";

bool allDigits(const QString& s)
{
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9') return false;
    return true;
}

// A small calendar sheet for the button, drawn so that no icon theme is needed.
QIcon calendarIcon()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(Qt::white);
    p.drawRect(1, 2, 13, 12);
    p.fillRect(2, 3, 12, 3, QColor(200, 40, 40));
    p.setPen(QColor(90, 90, 90));
    for (int y = 8; y <= 12; y += 3)
        for (int x = 3; x <= 12; x += 3) p.drawPoint(x, y);
    return QIcon(pm);
}

}  // namespace

QDate parseDateText(const QString& text)
{
    const QStringList parts = text.split(u'.');
    if (parts.size() != 3) return {};
    const QString d = parts[0].trimmed(), m = parts[1].trimmed(), y = parts[2].trimmed();
    if (!allDigits(d) || !allDigits(m) || !allDigits(y)) return {};
    if (d.size() > 2 || m.size() > 2 || y.size() > 4) return {};
    int year = y.toInt();
    if (y.size() <= 2) year += 2000;
    if (year < 1) return {};
    return QDate(year, m.toInt(), d.toInt());   // invalid for 31.02., 0.1., 1.13.
}

bool isBlankDateText(const QString& text)
{
    for (QChar c : text)
        if (c != u' ' && c != u'.') return false;
    return true;
}

TDateEdit::TDateEdit(QWidget* parent) : QLineEdit(parent)
{
    setInputMask(QStringLiteral("00.00.0000; "));
    setProperty(kDialogTitleProperty, QStringLiteral("Select a Date"));
    QAction* button = addAction(calendarIcon(), QLineEdit::TrailingPosition);
    // Left unnamed: it is part of the box, not a control the translation tables address.
    button->setToolTip(QCoreApplication::translate("Tamarel", "Calendar"));
    connect(button, &QAction::triggered, this, &TDateEdit::openCalendar);
    // Room for ten digits and the button, nothing more: the dialogs place it in a row.
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00.00.00000")) + 36);
}

QString TDateEdit::text() const { return displayText(); }

void TDateEdit::setText(const QString& text)
{
    if (isBlankDateText(text)) {
        QLineEdit::setText(QString());
        return;
    }
    const QDate d = parseDateText(text);
    if (d.isValid() && d.year() <= 9999)
        QLineEdit::setText(d.toString(QStringLiteral("dd.MM.yyyy")));
    else
        QLineEdit::setText(text);
}

QDate TDateEdit::date() const { return parseDateText(text()); }

void TDateEdit::setDate(const QDate& date)
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999) {
        clear();
        return;
    }
    QLineEdit::setText(date.toString(QStringLiteral("dd.MM.yyyy")));
}

bool TDateEdit::isEmpty() const { return isBlankDateText(text()); }

void TDateEdit::clear() { QLineEdit::setText(QString()); }

QString TDateEdit::dialogTitle() const { return property(kDialogTitleProperty).toString(); }

void TDateEdit::setDialogTitle(const QString& title) { setProperty(kDialogTitleProperty, title); }

void TDateEdit::normaliseText()
{
    const QDate d = date();
    if (d.isValid()) {
        const QString canonical = d.toString(QStringLiteral("dd.MM.yyyy"));
        if (canonical != text()) QLineEdit::setText(canonical);
    }
}

void TDateEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    // "Tamarel" is the translation engine's context: its message table answers.
    if (event->type() == QEvent::LanguageChange)
        for (QAction* action : actions()) action->setToolTip(QCoreApplication::translate("Tamarel", "Calendar"));
}

bool TDateEdit::checkValidDate()
{
    // A window that checks the box itself (on Ok) has made the check due on leaving.
    m_checkPending = false;
    if (isEmpty() || date().isValid()) {
        normaliseText();
        return true;
    }
    if (m_checking) return false;
    m_checking = true;
    const QString caption = QApplication::applicationDisplayName();
    platform::messageBox(window(), QCoreApplication::translate("Tamarel", "'%1' is not a valid date").arg(text().trimmed()),
                         caption, platform::Icon::Error, platform::Buttons::Ok);
    m_checking = false;
    setFocus(Qt::OtherFocusReason);
    selectAll();
    return false;
}

void TDateEdit::checkAfterLeaving()
{
    // The window may have been closed, or have checked the box, by the very click that moved
    // the focus away.
    if (!m_checkPending) return;
    m_checkPending = false;
    if (!isVisible() || !isEnabled() || isReadOnly()) return;
    checkValidDate();
}

void TDateEdit::focusOutEvent(QFocusEvent* event)
{
    const Qt::FocusReason reason = event->reason();
    const bool leftForAnotherControl = reason != Qt::ActiveWindowFocusReason &&
                                       reason != Qt::PopupFocusReason && !m_checking;
    if (leftForAnotherControl && (isEmpty() || date().isValid())) normaliseText();
    QLineEdit::focusOutEvent(event);
    // The check runs once the focus change is complete: a message box shown in the middle of
    // it would hand the focus around while Qt is still delivering it.
    if (leftForAnotherControl && !isEmpty() && !date().isValid()) {
        m_checkPending = true;
        QTimer::singleShot(0, this, &TDateEdit::checkAfterLeaving);
    }
}

void TDateEdit::keyPressEvent(QKeyEvent* event)
{
    const bool altDown = event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier);
    if (altDown || event->key() == Qt::Key_F4) {
        openCalendar();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TDateEdit::openCalendar()
{
    if (isReadOnly() || !isEnabled()) return;
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("dlgCalendar"));
    dialog.setWindowTitle(dialogTitle());
    auto* calendar = new QCalendarWidget(&dialog);
    calendar->setLocale(platform::interfaceLocale());   // month and day names of the language
    calendar->setObjectName(QStringLiteral("calendar"));
    calendar->setGridVisible(true);
    calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    QTextCharFormat weekend = calendar->weekdayTextFormat(Qt::Saturday);
    weekend.setForeground(QColor(Qt::red));
    calendar->setWeekdayTextFormat(Qt::Saturday, weekend);
    calendar->setWeekdayTextFormat(Qt::Sunday, weekend);
    const QDate current = date();
    calendar->setSelectedDate(current.isValid() ? current : platform::today());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    connect(calendar, &QCalendarWidget::activated, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(calendar);
    layout->addWidget(buttons);
    if (platform::runModal(&dialog) == QDialog::Accepted) {
        setDate(calendar->selectedDate());
        setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace widgets
