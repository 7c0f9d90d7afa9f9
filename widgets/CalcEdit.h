#pragma once
// TCalcEdit: the number box of the price and amount fields. It takes digits, one decimal
// separator (a point or a comma) and a leading minus; the statements read its text with
// blanks removed and a comma turned into a point, so the text always stays such a number.
//
// Invariants: text() is empty or a number as typed or as setValue() wrote it (the value in
// full to ten places, shortest form, a point as separator); on leaving, an unfinished number
// ("-", "3,") is rewritten at most decimals() places, so no statement ever receives a
// half-typed number.
// The typing limit holds back keys only: a number the program puts in is shown and read
// back whole, however long (QLineEdit's own maximum length would cut it).
//
// A calculator pops up from the box's button, F4 or Alt+Down, starting from the number shown;
// its result (rounded to decimals() places) goes into the box as if typed, Cancel or Esc
// leaves the box as it was. The pop-up runs through the platform's modal seam, so tests
// drive it; a read-only or disabled box offers none.

#include <QLineEdit>
#include <QString>

class QAction;
#include <functional>
#include <optional>

namespace widgets {

// A pocket calculator: the four operations executed left to right as each operator or "="
// is pressed (2 + 3 * 4 = 20), the entry being typed shown, division by zero an error until
// cleared. Keys are the characters on its buttons: 0-9, "." (or ","), + - * /, "=", "C"
// (clear all), "<" (remove the last digit typed), "~" (change the sign of the entry).
class Calculator {
public:
    explicit Calculator(double start = 0);
    // false for a key the calculator has no button for.
    bool press(QChar key);
    // What its display shows: the entry being typed, or the last result.
    QString display() const;
    // The number the display stands for after the pending operation is carried out; none
    // while in error.
    std::optional<double> result() const;
    bool error() const { return m_error; }

private:
    void apply();
    double entryValue() const;

    double m_accumulator = 0;
    QChar m_pending;          // operator waiting for its second operand, null when none
    QString m_entry;          // digits being typed; empty when the display shows m_accumulator
    bool m_error = false;
};

class TCalcEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(double value READ value WRITE setValue)
public:
    explicit TCalcEdit(QWidget* parent = nullptr);

    // The number shown; 0 for an empty box.
    double value() const;
    // Shows the value in full (0.0125 stays 0.0125), never cut to the typing limit.
    void setValue(double value);

    // The most characters the user may type (0: no limit).
    int typingLimit() const { return m_typingLimit; }
    void setTypingLimit(int characters) { m_typingLimit = qMax(0, characters); }
    // The length of the text as last changed (what the user's edit starts from).
    int shownLength() const { return m_shownLength; }

    int decimals() const { return m_decimals; }
    void setDecimals(int decimals);

    // The shortest text of a number rounded to `decimals` places: 150, 150.5, -0.25.
    static QString formatValue(double value, int decimals);
    // The number in full, without exponent (0.0125, 123456.78): to ten places, shortest form.
    static QString fullText(double value);
    // The number a box text stands for: blanks ignored, comma as point; 0 when empty.
    static double parseValue(const QString& text, bool* ok = nullptr);

    // Shows the calculator; on confirmation its result goes into the box.
    void openCalculator();
    // The program's translation of the calculator's title and the button's hint ("Calculator");
    // the English text when none is set.
    static void setTranslator(std::function<QString(const QString&)> translate);

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QAction* m_calculatorButton = nullptr;
    int m_decimals = 2;
    int m_typingLimit = 0;
    int m_shownLength = 0;
};

}  // namespace widgets

using widgets::TCalcEdit;
