#pragma once
// TCalcEdit: the number box of the price and amount fields. It takes digits, one decimal
// separator (a point or a comma) and a leading minus; the statements read its text with
// blanks removed and a comma turned into a point, so the text always stays such a number.
//
// Invariants: text() is empty or a number as typed or as setValue() wrote it (shortest form,
// at most decimals() places, a point as separator); on leaving, an unfinished number ("-",
// "3,") is rewritten in that form, so no statement ever receives a half-typed number.

#include <QLineEdit>

namespace widgets {

class TCalcEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(double value READ value WRITE setValue)
public:
    explicit TCalcEdit(QWidget* parent = nullptr);

    // The number shown; 0 for an empty box.
    double value() const;
    void setValue(double value);

    int decimals() const { return m_decimals; }
    void setDecimals(int decimals);

    // The shortest text of a number rounded to `decimals` places: 150, 150.5, -0.25.
    static QString formatValue(double value, int decimals);
    // The number a box text stands for: blanks ignored, comma as point; 0 when empty.
    static double parseValue(const QString& text, bool* ok = nullptr);

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    int m_decimals = 2;
};

}  // namespace widgets

using widgets::TCalcEdit;
