// The "New date" dialog: a date box and an OK button, placed beside the mouse pointer each
// time it is shown (the pointer is on the board's navigation cell).
#include "board/TfrmNewDateTamarel.h"

#include <QCursor>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QGuiApplication>

#include "shell/ValueHelpers.h"
#include "widgets/DateEdit.h"

namespace {
TfrmNewDateTamarel* g_instance = nullptr;
}

TfrmNewDateTamarel* frmNewDateTamarel() { return g_instance; }

TfrmNewDateTamarel::TfrmNewDateTamarel(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmNewDateTamarel"));
    setWindowTitle(QStringLiteral("New date"));

    m_edDateFrom = new widgets::TDateEdit(this);
    m_edDateFrom->setObjectName(QStringLiteral("edDateFrom"));
    m_edDateFrom->setDialogTitle(QStringLiteral("Select new date from"));

    m_btOk = new QPushButton(QStringLiteral("Ok"), this);
    m_btOk->setObjectName(QStringLiteral("btOk"));
    m_btOk->setDefault(true);
    connect(m_btOk, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_edDateFrom);
    layout->addWidget(m_btOk);
    g_instance = this;
}

TfrmNewDateTamarel::~TfrmNewDateTamarel()
{
    if (g_instance == this) g_instance = nullptr;
}

void TfrmNewDateTamarel::setDate(int dayNumber) { m_edDateFrom->setDate(shell::DateFromNumber(dayNumber)); }

// An empty or unreadable box keeps the board where it was: the caller treats it as no choice.
int TfrmNewDateTamarel::date() const
{
    const QDate chosen = m_edDateFrom->date();
    return chosen.isValid() ? shell::NumberFromDate(chosen) : -1;
}

QPoint TfrmNewDateTamarel::placeBesidePointer(const QPoint& pointer, const QSize& frame, const QRect& screen)
{
    QPoint at = pointer - QPoint(40, 45);
    if (screen.isEmpty()) return at;
    // Right and bottom edges first, so a dialog larger than the screen keeps its title bar.
    at.setX(qMax(screen.left(), qMin(at.x(), screen.right() + 1 - frame.width())));
    at.setY(qMax(screen.top(), qMin(at.y(), screen.bottom() + 1 - frame.height())));
    return at;
}

void TfrmNewDateTamarel::showEvent(QShowEvent* event)
{
    const QPoint pointer = QCursor::pos();
    QScreen* screen = QGuiApplication::screenAt(pointer);
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    // The frame (title bar included) is known once the window was shown; before, the
    // window itself is the best guess.
    const QSize frame = frameGeometry().size().expandedTo(size());
    move(placeBesidePointer(pointer, frame, area));
    QDialog::showEvent(event);
}
