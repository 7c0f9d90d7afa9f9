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

#include <QLineEdit>

namespace widgets {

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

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    int m_decimals = 2;
    int m_typingLimit = 0;
    int m_shownLength = 0;
};

}  // namespace widgets

using widgets::TCalcEdit;
