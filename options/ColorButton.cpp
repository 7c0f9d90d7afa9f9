// TColorButton: colour panel with the colour dialog behind a click.
#include "options/ColorButton.h"

#include <QColorDialog>
#include <QEvent>
#include <QMouseEvent>

#include "lang/Language.h"
#include "platform/Platform.h"

namespace {

// The hint in the current language; English while no translation engine exists yet.
QString hintText()
{
    const QString english = QStringLiteral("Click to change the color");
    return currentLanguage() ? TranslateMessage(english) : english;
}

}  // namespace

TColorButton::TColorButton(QWidget* parent) : QLabel(parent)
{
    setFixedSize(80, 22);
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setCursor(Qt::PointingHandCursor);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
    setAutoFillBackground(true);
    setToolTip(hintText());
    setDefColor(QColor(Qt::yellow));
}

QList<QColor>& TColorButton::sharedCustomColours()
{
    // Every entry of the dialog, from its defaults on: the dialog is then set from the whole
    // list each time, and what a cancelled dialog left in it is undone at the next opening.
    static QList<QColor> colours = [] {
        QList<QColor> defaults;
        for (int i = 0; i < QColorDialog::customCount(); ++i) defaults.append(QColorDialog::customColor(i));
        return defaults;
    }();
    return colours;
}

QColor TColorButton::textColourFor(const QColor& background)
{
    const QColor c = background.toRgb();
    return c.red() + c.green() + c.blue() <= 128 ? QColor(Qt::white) : QColor(Qt::black);
}

QString TColorButton::captionFor(const QColor& colour, const QColor& defColour)
{
    return colour.rgb() == defColour.rgb() ? QStringLiteral("-") : colour.name(QColor::HexRgb).toLower();
}

void TColorButton::setDefColor(const QColor& colour)
{
    m_defColor = colour.isValid() ? colour.toRgb() : QColor(Qt::yellow);
    display(m_defColor);
}

void TColorButton::setActColor(const QColor& colour) { display(colour.isValid() ? colour.toRgb() : m_defColor); }

void TColorButton::display(const QColor& colour)
{
    m_colour = colour;
    m_changed = colour.rgb() != m_defColor.rgb();
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colour);
    pal.setColor(QPalette::WindowText, textColourFor(colour));
    setPalette(pal);
    setText(captionFor(colour, m_defColor));
    update();
}

void TColorButton::chooseColour()
{
    // Only a confirmed dialog changes the custom colours.
    QList<QColor> custom = sharedCustomColours();
    const QColor chosen = platform::chooseColour(this, m_colour, &custom);
    if (chosen.isValid()) {
        sharedCustomColours() = custom;
        setActColor(chosen);
    }
    emit OnColorChange(this, ActColor());
}

void TColorButton::resetColour()
{
    setActColor(m_defColor);
    emit OnColorChange(this, ActColor());
}

void TColorButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        resetColour();
        event->accept();
        return;
    }
    m_leftPressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void TColorButton::mouseReleaseEvent(QMouseEvent* event)
{
    // A click completes on release inside the button, as with any push button.
    const bool click = m_leftPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_leftPressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click) chooseColour();
}

bool TColorButton::event(QEvent* event)
{
    // The hint follows the language chosen after the button was made.
    if (event->type() == QEvent::ToolTip) setToolTip(hintText());
    return QLabel::event(event);
}
