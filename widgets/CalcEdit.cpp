// TCalcEdit: a validated line edit for amounts, with its calculator pop-up.
#include "widgets/CalcEdit.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <iterator>

#include "platform/Platform.h"

namespace widgets {

namespace {

std::function<QString(const QString&)>& translator()
{
    static std::function<QString(const QString&)> translate;
    return translate;
}

QString translated(const QString& text) { return translator() ? translator()(text) : text; }

const QString kCalculator = QStringLiteral("Calculator");

// A small calculator, drawn so that no icon theme is needed.
QIcon calculatorIcon()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(2, 1, 11, 13);
    p.fillRect(4, 3, 8, 3, QColor(150, 190, 150));
    for (int y = 8; y <= 12; y += 2)
        for (int x = 4; x <= 11; x += 3) p.fillRect(x, y, 2, 1, QColor(60, 60, 60));
    return QIcon(pm);
}

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

// ---- the calculator ------------------------------------------------------------------

Calculator::Calculator(double start) : m_accumulator(std::isfinite(start) ? start : 0) {}

double Calculator::entryValue() const { return m_entry.isEmpty() ? m_accumulator : TCalcEdit::parseValue(m_entry); }

// Carries out the pending operation with the entry as its second operand.
void Calculator::apply()
{
    const double operand = entryValue();
    double value = operand;
    if (m_pending == u'+') value = m_accumulator + operand;
    else if (m_pending == u'-') value = m_accumulator - operand;
    else if (m_pending == u'*') value = m_accumulator * operand;
    else if (m_pending == u'/') {
        if (operand == 0) {
            m_error = true;
            return;
        }
        value = m_accumulator / operand;
    }
    if (!std::isfinite(value)) {
        m_error = true;
        return;
    }
    m_accumulator = value;
    m_pending = QChar();
    m_entry.clear();
}

bool Calculator::press(QChar key)
{
    if (key == u'C' || key == u'c') {
        *this = Calculator();
        return true;
    }
    if (m_error) return key.isDigit() || QStringLiteral(".,+-*/=<~").contains(key);
    if (key.isDigit()) {
        if (m_entry == QStringLiteral("0")) m_entry.clear();
        else if (m_entry == QStringLiteral("-0")) m_entry = QStringLiteral("-");
        m_entry += key;
        return true;
    }
    if (key == u'.' || key == u',') {
        if (m_entry.isEmpty() || m_entry == QStringLiteral("-")) m_entry += QLatin1Char('0');
        if (!m_entry.contains(u'.')) m_entry += QLatin1Char('.');
        return true;
    }
    if (key == u'<') {
        if (!m_entry.isEmpty()) m_entry.chop(1);
        return true;
    }
    if (key == u'~') {
        if (m_entry.isEmpty()) {
            if (!m_pending.isNull()) m_entry = QStringLiteral("-0");   // the second operand starts negative
            else m_accumulator = -m_accumulator;
        } else if (m_entry.startsWith(u'-')) {
            m_entry.remove(0, 1);
        } else {
            m_entry.prepend(QLatin1Char('-'));
        }
        return true;
    }
    if (QStringLiteral("+-*/").contains(key)) {
        // A second operator in a row replaces the first.
        if (m_entry.isEmpty() && !m_pending.isNull()) {
            m_pending = key;
            return true;
        }
        apply();
        if (!m_error) m_pending = key;
        return true;
    }
    if (key == u'=') {
        apply();
        return true;
    }
    return false;
}

QString Calculator::display() const
{
    if (m_error) return QStringLiteral("Error");
    if (!m_entry.isEmpty()) return m_entry;
    return TCalcEdit::fullText(m_accumulator);
}

std::optional<double> Calculator::result() const
{
    if (m_error) return std::nullopt;
    Calculator done = *this;
    done.apply();
    if (done.m_error) return std::nullopt;
    return done.m_accumulator;
}

namespace {

// The pop-up: a display and the buttons; keys work as on the buttons, Enter confirms the
// result, Esc cancels.
class CalculatorDialog : public QDialog {
public:
    CalculatorDialog(QWidget* owner, double start) : QDialog(owner), m_calculator(start)
    {
        setObjectName(QStringLiteral("dlgCalculator"));
        setWindowTitle(translated(kCalculator));
        m_display = new QLineEdit(this);
        m_display->setObjectName(QStringLiteral("display"));
        m_display->setReadOnly(true);
        m_display->setFocusPolicy(Qt::NoFocus);
        m_display->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* keys = new QGridLayout;
        const char* const rows[] = {"789/", "456*", "123-", "0~.+", "C<="};
        for (int r = 0; r < int(std::size(rows)); ++r) {
            const QString row = QString::fromLatin1(rows[r]);
            for (int c = 0; c < row.size(); ++c) {
                const QChar key = row[c];
                auto* b = new QToolButton(this);
                b->setObjectName(QStringLiteral("key") + key);
                b->setText(key == u'~' ? QStringLiteral("\u00B1") : key == u'<' ? QStringLiteral("\u2190") : QString(key));
                b->setFocusPolicy(Qt::NoFocus);
                b->setMinimumSize(32, 28);
                connect(b, &QToolButton::clicked, this, [this, key] { press(key); });
                // "=" takes the last row's rest.
                keys->addWidget(b, r, c, 1, key == u'=' ? 2 : 1);
            }
        }
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        for (QAbstractButton* b : buttons->buttons()) b->setFocusPolicy(Qt::NoFocus);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_display);
        layout->addLayout(keys);
        layout->addWidget(buttons);
        showText(m_calculator.display());
    }

    std::optional<double> result() const { return m_calculator.result(); }
    void press(QChar key)
    {
        m_calculator.press(key);
        showText(m_calculator.display());
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const QString text = event->text();
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (m_calculator.result()) accept();
            return;
        case Qt::Key_Escape:
            reject();
            return;
        case Qt::Key_Backspace:
            press(u'<');
            return;
        case Qt::Key_Delete:
            press(u'C');
            return;
        default:
            break;
        }
        if (text.size() == 1 && m_calculator.press(text[0])) {
            showText(m_calculator.display());
            return;
        }
        QDialog::keyPressEvent(event);
    }

private:
    void showText(const QString& text) { m_display->setText(text); }

    Calculator m_calculator;
    QLineEdit* m_display;
};

}  // namespace

// ---- the box -------------------------------------------------------------------------

TCalcEdit::TCalcEdit(QWidget* parent) : QLineEdit(parent)
{
    setValidator(new TNumberValidator(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) { m_shownLength = int(text.size()); });
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Left unnamed: it is part of the box, not a control the translation tables address.
    m_calculatorButton = addAction(calculatorIcon(), QLineEdit::TrailingPosition);
    m_calculatorButton->setToolTip(kCalculator);
    connect(m_calculatorButton, &QAction::triggered, this, &TCalcEdit::openCalculator);
}

void TCalcEdit::setTranslator(std::function<QString(const QString&)> translate) { translator() = std::move(translate); }

void TCalcEdit::showEvent(QShowEvent* event)
{
    // The language may have changed since the box was last shown.
    m_calculatorButton->setToolTip(translated(kCalculator));
    QLineEdit::showEvent(event);
}

void TCalcEdit::keyPressEvent(QKeyEvent* event)
{
    const bool altDown = event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier);
    if (altDown || event->key() == Qt::Key_F4) {
        openCalculator();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TCalcEdit::openCalculator()
{
    if (isReadOnly() || !isEnabled()) return;
    CalculatorDialog dialog(this, value());
    if (platform::runModal(&dialog) != QDialog::Accepted) return;
    const std::optional<double> result = dialog.result();
    if (!result) return;
    // As if typed: the windows' "typed into" marks and the leave rules see the change.
    setText(formatValue(*result, m_decimals));
    setModified(true);
    setFocus(Qt::OtherFocusReason);
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

// Fifteen significant digits (at most ten places) keep every amount a table holds and drop
// only the binary noise of sums: 33.3 + 33.3 + 33.3 (99.89999999999999) shows as 99.9, and
// 1235102.65 as itself rather than the 1235102.6499999999 of ten fixed places.
QString TCalcEdit::fullText(double value)
{
    if (!std::isfinite(value)) return QStringLiteral("0");
    const double magnitude = std::fabs(value);
    const int integerDigits = magnitude < 1 ? 1 : int(std::floor(std::log10(magnitude))) + 1;
    return formatValue(value, qBound(0, 15 - integerDigits, 10));
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
