// TSpinEdit: integer box on QAbstractSpinBox, which leaves the text alone for a direct
// subclass, so an empty box stays empty until the user or the dialog fills it.
#include "widgets/SpinEdit.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>

namespace widgets {

TSpinEdit::TSpinEdit(QWidget* parent) : QAbstractSpinBox(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(lineEdit(), &QLineEdit::textChanged, this, [this](const QString& text) {
        emit textChanged(text);
        const int v = value();
        if (v != m_lastValue) {
            m_lastValue = v;
            emit valueChanged(v);
        }
    });
}

int TSpinEdit::value() const
{
    bool ok = false;
    const int v = text().trimmed().toInt(&ok);
    return ok ? v : 0;
}

int TSpinEdit::bounded(long long value) const
{
    if (value < m_min) return m_min;
    if (value > m_max) return m_max;
    return int(value);
}

void TSpinEdit::setValue(int value) { lineEdit()->setText(QString::number(bounded(value))); }

void TSpinEdit::setMinValue(int value) { setRange(value, qMax(value, m_max)); }

void TSpinEdit::setMaxValue(int value) { setRange(qMin(value, m_min), value); }

void TSpinEdit::setRange(int minValue, int maxValue)
{
    m_min = minValue;
    m_max = qMax(minValue, maxValue);
    updateGeometry();
}

int TSpinEdit::maxLength() const { return lineEdit()->maxLength(); }

void TSpinEdit::setMaxLength(int length) { lineEdit()->setMaxLength(length); }

void TSpinEdit::setText(const QString& text)
{
    QString input = text.trimmed();
    int pos = 0;
    lineEdit()->setText(validate(input, pos) == QValidator::Invalid ? QString() : input);
}

void TSpinEdit::clear() { lineEdit()->clear(); }

QValidator::State TSpinEdit::validate(QString& input, int& /*pos*/) const
{
    if (input.size() > maxLength()) return QValidator::Invalid;
    if (input.isEmpty()) return QValidator::Acceptable;
    int start = 0;
    if (input.at(0) == u'-') {
        if (m_min >= 0) return QValidator::Invalid;
        if (input.size() == 1) return QValidator::Intermediate;
        start = 1;
    }
    for (int i = start; i < input.size(); ++i)
        if (input.at(i) < u'0' || input.at(i) > u'9') return QValidator::Invalid;
    bool ok = false;
    const long long v = input.toLongLong(&ok);
    if (!ok) return QValidator::Invalid;
    return (v < m_min || v > m_max) ? QValidator::Intermediate : QValidator::Acceptable;
}

void TSpinEdit::fixup(QString& input) const
{
    bool ok = false;
    const long long v = input.trimmed().toLongLong(&ok);
    input = ok ? QString::number(bounded(v)) : QString();
}

void TSpinEdit::bringIntoRange()
{
    QString t = text();
    if (t.isEmpty()) return;
    int pos = 0;
    if (validate(t, pos) != QValidator::Acceptable) {
        fixup(t);
        lineEdit()->setText(t);
    }
}

void TSpinEdit::stepBy(int steps)
{
    // An empty box steps from the nearest end of the range.
    const long long from = text().isEmpty() ? (steps > 0 ? m_min - 1LL : m_max + 1LL) : value();
    setValue(bounded(from + steps));
    lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const
{
    if (isReadOnly()) return StepNone;
    if (text().isEmpty()) return StepUpEnabled | StepDownEnabled;
    StepEnabled e = StepNone;
    if (value() < m_max) e |= StepUpEnabled;
    if (value() > m_min) e |= StepDownEnabled;
    return e;
}

void TSpinEdit::focusOutEvent(QFocusEvent* event)
{
    bringIntoRange();
    QAbstractSpinBox::focusOutEvent(event);
}

void TSpinEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) bringIntoRange();
    QAbstractSpinBox::keyPressEvent(event);
}

QSize TSpinEdit::sizeHint() const
{
    ensurePolished();
    const QFontMetrics fm(fontMetrics());
    const QString widest = QString::number(m_min).size() > QString::number(m_max).size()
                               ? QString::number(m_min) : QString::number(m_max);
    const int w = fm.horizontalAdvance(widest + QStringLiteral("00"));
    QStyleOptionSpinBox opt;
    initStyleOption(&opt);
    const QSize content(w, lineEdit()->sizeHint().height());
    return style()->sizeFromContents(QStyle::CT_SpinBox, &opt, content, this);
}

QSize TSpinEdit::minimumSizeHint() const { return sizeHint(); }

}  // namespace widgets
