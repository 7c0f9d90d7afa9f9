#pragma once
// TDateEdit: the date box of every dialog. It shows a date as dd.mm.yyyy in a fixed mask,
// offers a calendar (weekends in red, titled by the "DialogTitle" property) and refuses an
// invalid date when the user leaves it.
//
// Invariants: text() is always ten characters in the mask: "  .  .    " when empty,
// "05.03.2004" once a date has been accepted; date() is valid exactly when the text reads as
// a real calendar day; an invalid date never leaves the box silently (the user is told
// through the platform message seam and the focus comes back).

#include <QDate>
#include <QLineEdit>
#include <QString>

namespace widgets {

// The text of an empty date box, as statements and lookups compare it.
inline const QString kEmptyDateText = QStringLiteral("  .  .    ");

// Reads day.month.year with any blanks around the parts (5.3.2004, 05.03.2004,
// "5 .3 .2004"); a year below 100 is taken as 20yy. Invalid QDate when it is no real day.
QDate parseDateText(const QString& text);
// True when the text holds nothing but blanks and date separators.
bool isBlankDateText(const QString& text);

class TDateEdit : public QLineEdit {
    Q_OBJECT
    // Shadows QLineEdit's "text" so that property access sees the masked text with blanks.
    Q_PROPERTY(QString text READ text WRITE setText USER true)
public:
    explicit TDateEdit(QWidget* parent = nullptr);

    QString text() const;
    // Accepts a date in either written form (5.3.2004 is shown as 05.03.2004); an empty or
    // blank text empties the box; anything else is put into the mask as typed.
    void setText(const QString& text);

    QDate date() const;
    void setDate(const QDate& date);   // an invalid date empties the box
    bool isEmpty() const;
    void clear();

    QString dialogTitle() const;
    void setDialogTitle(const QString& title);

    // The check made on leaving: true for an empty box or a valid date (the text is then
    // normalised to dd.mm.yyyy). Otherwise tells the user, takes the focus and answers false.
    bool checkValidDate();

    // Shows the calendar; on confirmation the chosen day goes into the box.
    void openCalendar();

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;   // the tooltip follows a change of language

private:
    void normaliseText();
    void checkAfterLeaving();

    bool m_checking = false;
    bool m_checkPending = false;   // a check on leaving is due, unless one runs first
};

}  // namespace widgets

using widgets::TDateEdit;
