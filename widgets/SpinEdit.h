#pragma once
// TSpinEdit: the whole-number box with up/down buttons (nights, persons, days shown).
// Unlike QSpinBox it may be empty, because the dialogs empty it when a value cannot be
// computed and read an empty box as 0.
//
// Invariants: the text is empty or an integer (a minus only when the range allows negative
// values) of at most maxLength() characters; the buttons and the arrow keys never leave
// [minValue, maxValue]; a typed value outside the range is brought into it when the box is
// left or Enter is pressed.

#include <QAbstractSpinBox>

namespace widgets {

class TSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
    Q_PROPERTY(int value READ value WRITE setValue NOTIFY valueChanged USER true)
    Q_PROPERTY(int minValue READ minValue WRITE setMinValue)
    Q_PROPERTY(int maxValue READ maxValue WRITE setMaxValue)
public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    // The integer shown; 0 for an empty box or a text that is no number.
    int value() const;
    // Shows the value brought into the range.
    void setValue(int value);

    int minValue() const { return m_min; }
    int maxValue() const { return m_max; }
    void setMinValue(int value);
    void setMaxValue(int value);
    void setRange(int minValue, int maxValue);

    int maxLength() const;
    void setMaxLength(int length);

    // text() of QAbstractSpinBox reads the box; setText puts a text in as typed (it must pass
    // the same check as typing, else the box is emptied).
    void setText(const QString& text);
    void clear() override;

    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    void stepBy(int steps) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void valueChanged(int value);
    void textChanged(const QString& text);

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int bounded(long long value) const;
    void bringIntoRange();

    int m_min = 0;
    int m_max = 100;
    int m_lastValue = 0;
};

}  // namespace widgets

using widgets::TSpinEdit;
