// TCalcEdit: a validated line edit for amounts.
#include "widgets/CalcEdit.h"

#include <QFocusEvent>
#include <QRegularExpressionValidator>
#include <cmath>

namespace widgets {

TCalcEdit::TCalcEdit(QWidget* parent) : QLineEdit(parent)
{
    // Blanks are tolerated because the statements strip them; two separators never are.
    static const QRegularExpression pattern(QStringLiteral(R"(^ *-? *[0-9 ]*([.,][0-9 ]*)?$)"));
    setValidator(new QRegularExpressionValidator(pattern, this));
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void TCalcEdit::setDecimals(int decimals) { m_decimals = qBound(0, decimals, 10); }

QString TCalcEdit::formatValue(double value, int decimals)
{
    if (!std::isfinite(value)) return QStringLiteral("0");
    QString s = QString::number(value, 'f', decimals);
    if (s.contains(u'.')) {
        while (s.endsWith(u'0')) s.chop(1);
        if (s.endsWith(u'.')) s.chop(1);
    }
    if (s == QStringLiteral("-0")) s = QStringLiteral("0");
    return s;
}

double TCalcEdit::parseValue(const QString& text, bool* ok)
{
    QString s = text;
    s.remove(u' ');
    s.replace(u',', u'.');
    bool good = true;
    double v = s.isEmpty() ? 0 : s.toDouble(&good);
    if (!good || !std::isfinite(v)) v = 0;   // "-" or "." alone: nothing typed yet
    if (ok) *ok = good;
    return v;
}

double TCalcEdit::value() const { return parseValue(text()); }

void TCalcEdit::setValue(double value) { setText(formatValue(value, m_decimals)); }

void TCalcEdit::focusOutEvent(QFocusEvent* event)
{
    static const QRegularExpression wellFormed(QStringLiteral(R"(^-?[0-9]+([.,][0-9]+)?$)"));
    QString compact = text();
    compact.remove(u' ');
    if (!compact.isEmpty() && !wellFormed.match(compact).hasMatch()) setValue(value());
    QLineEdit::focusOutEvent(event);
}

}  // namespace widgets
