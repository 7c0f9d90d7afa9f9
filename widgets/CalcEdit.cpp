// TCalcEdit: a validated line edit for amounts.
#include "widgets/CalcEdit.h"

#include <QFocusEvent>
#include <QRegularExpressionValidator>
#include <cmath>

namespace widgets {

namespace {

// Blanks are tolerated because the statements strip them; two separators never are. Typed
// text longer than the typing limit is refused.
class TNumberValidator : public QRegularExpressionValidator {
public:
    TNumberValidator(const TCalcEdit* edit)
        : QRegularExpressionValidator(QRegularExpression(QStringLiteral(R"(^ *-? *[0-9 ]*([.,][0-9 ]*)?$)")),
                                      const_cast<TCalcEdit*>(edit)),
          m_edit(edit)
    {
    }
    State validate(QString& input, int& pos) const override
    {
        const int limit = m_edit->typingLimit();
        // What the program sets (the box is then unmodified) passes whole; a longer text it
        // put in may be shortened by the user, never lengthened.
        if (limit > 0 && m_edit->isModified() && input.size() > limit && input.size() > m_edit->shownLength())
            return Invalid;
        return QRegularExpressionValidator::validate(input, pos);
    }

private:
    const TCalcEdit* m_edit;
};

}  // namespace

TCalcEdit::TCalcEdit(QWidget* parent) : QLineEdit(parent)
{
    setValidator(new TNumberValidator(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) { m_shownLength = int(text.size()); });
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

// Ten places keep every amount a table holds and drop only the binary noise of sums such as
// 33.3 + 33.3 + 33.3 (99.89999999999999 is shown as 99.9).
QString TCalcEdit::fullText(double value) { return formatValue(value, 10); }

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

void TCalcEdit::setValue(double value) { setText(fullText(value)); }

void TCalcEdit::focusOutEvent(QFocusEvent* event)
{
    static const QRegularExpression wellFormed(QStringLiteral(R"(^-?[0-9]+([.,][0-9]+)?$)"));
    QString compact = text();
    compact.remove(u' ');
    if (!compact.isEmpty() && !wellFormed.match(compact).hasMatch()) setText(formatValue(value(), m_decimals));
    QLineEdit::focusOutEvent(event);
}

}  // namespace widgets
