#pragma once
// TColorButton: the small panel that shows a colour and lets the user pick another one
// (left click: the colour dialog) or take back the choice (right button: DefColor).
//
// Invariants: ActColor() is always a valid colour (the shown one, which is DefColor unless
// the user picked another); changed() is true exactly while the shown colour differs from
// DefColor; the caption is "-" for DefColor, else "#rrggbb"; every button of the run hands
// the colour dialog the same list of custom colours.

#include <QColor>
#include <QLabel>
#include <QList>

class TColorButton : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QColor DefColor READ DefColor WRITE setDefColor)
    Q_PROPERTY(QColor ActColor READ ActColor WRITE setActColor)
public:
    explicit TColorButton(QWidget* parent = nullptr);

    QColor DefColor() const { return m_defColor; }
    // Also shows the new default, so the button starts unchanged.
    void setDefColor(const QColor& colour);

    QColor ActColor() const { return m_changed ? m_colour : m_defColor; }
    // An invalid colour (the "-1" of the settings) stands for DefColor.
    void setActColor(const QColor& colour);

    bool changed() const { return m_changed; }

    // What a left click does: the colour dialog, then OnColorChange whatever the answer.
    void chooseColour();
    // What the right button does: back to DefColor, then OnColorChange.
    void resetColour();

    // The custom colours all buttons share for the run (empty: the dialog's own defaults).
    static QList<QColor>& sharedCustomColours();

    // The text colour for a background: white when red + green + blue is at most 128.
    static QColor textColourFor(const QColor& background);
    // "-" for the default colour, else "#" and six lower-case hex digits red, green, blue.
    static QString captionFor(const QColor& colour, const QColor& defColour);

signals:
    void OnColorChange(TColorButton* sender, const QColor& colour);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void display(const QColor& colour);

    QColor m_defColor;
    QColor m_colour;
    bool m_changed = false;
    bool m_leftPressed = false;
};
