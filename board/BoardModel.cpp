// The occupancy board's logic: display names, price texts, the stay list and what each
// night cell shows. Plain code, no widgets, so the tests run it without a display.
#include "board/BoardModel.h"

#include <cmath>

#include "options/Options.h"
#include "shell/Money.h"

namespace board {

QString GuestDisplayName(const QString& title, const QString& surname, const QString& name)
{
    QString head = title + QLatin1Char(' ');
    int lead = 0;
    while (lead < head.size() && head.at(lead) == QLatin1Char(' ')) ++lead;
    QString shown = (head.mid(lead) + surname).left(kMaxNameLength);
    if (shown.size() + name.size() < 25) shown = (shown + QLatin1Char(' ') + name).left(kMaxNameLength);
    return shown;
}

QString PriceText(bool preferEUR, const QString& priceEurText, double maidEur,
                  const QString& maidEurText, const QString& priceCzkText, double maidCzk,
                  const QString& maidCzkText)
{
    const QString& price = preferEUR ? priceEurText : priceCzkText;
    const QString& maidText = preferEUR ? maidEurText : maidCzkText;
    const double maid = preferEUR ? maidEur : maidCzk;
    const QString currency = preferEUR ? QStringLiteral(" EUR") : QStringLiteral(" Kč");
    QString text = shell::roundHalfEven(maid) != 0 ? price + QStringLiteral(" + ") + maidText + currency
                                            : price + currency;
    return text.left(kMaxPriceTextLength);
}

QColor ContrastColor(const QColor& background)
{
    const int r = background.red(), g = background.green(), b = background.blue();
    return (g > 200 || r + g + b > 384) ? QColor(Qt::black) : QColor(Qt::white);
}

QString ShortenName(const QString& text, int columnWidth,
                    const std::function<int(const QString&)>& measure)
{
    QString shown = text;
    int width = measure(shown);
    while (columnWidth < width && shown.size() > 20) {
        // A text that already ends in "..." loses the dots and one more character.
        if (shown.endsWith(QLatin1Char('.'))) shown.chop(4);
        else shown.chop(1);
        shown += QStringLiteral("...");
        width = measure(shown);
    }
    return shown;
}

void TStayList::clear()
{
    m_entries.clear();
    m_byRoom.clear();
}

void TStayList::append(TRoomsUsage entry)
{
    entry.PID = entry.PID.left(kMaxPidLength);
    m_byRoom[entry.PID].append(int(m_entries.size()));
    m_entries.append(std::move(entry));
}

QVector<const TRoomsUsage*> TStayList::staysAt(const QString& pid, int day) const
{
    QVector<const TRoomsUsage*> found;
    const auto it = m_byRoom.constFind(pid);
    if (it == m_byRoom.constEnd()) return found;
    for (int index : *it) {
        const TRoomsUsage& entry = m_entries.at(index);
        if (entry.occupies(day)) found.append(&entry);
    }
    return found;
}

const TRoomsUsage* TStayList::stayAt(const QString& pid, int day) const
{
    const auto it = m_byRoom.constFind(pid);
    if (it == m_byRoom.constEnd()) return nullptr;
    for (int index : *it) {
        const TRoomsUsage& entry = m_entries.at(index);
        if (entry.occupies(day)) return &entry;
    }
    return nullptr;
}

TBoardColors ColorsFromOptions()
{
    const TOptions& o = options();
    TBoardColors c;
    c.Default = colorFromWindows(o.Default);
    c.PreliminaryR = colorFromWindows(o.PreliminaryR);
    c.DefinitiveR = colorFromWindows(o.DefinitiveR);
    c.CheckedIn = colorFromWindows(o.CheckedIn);
    c.CheckedOut = colorFromWindows(o.CheckedOut);
    c.NotAvailable = colorFromWindows(o.NotAvailable);
    c.Conflict = colorFromWindows(o.Conflict);
    return c;
}

QColor StatusColor(QChar status, const TBoardColors& colors, bool* known)
{
    if (known) *known = true;
    switch (status.unicode()) {
    case 'P': return colors.PreliminaryR;
    case 'R': return colors.DefinitiveR;
    case 'H': return colors.CheckedIn;
    case 'O': return colors.CheckedOut;
    case 'X': return colors.NotAvailable;
    case '!': return colors.Conflict;
    default:
        if (known) *known = false;
        return colors.Conflict;
    }
}

TCellView NightCell(const TStayList& stays, const QString& pid, int day, const TBoardColors& colors,
                    const QString& invalidStatusText)
{
    TCellView view;
    const TRoomsUsage* first = nullptr;
    const TRoomsUsage* last = nullptr;
    stays.forEachStayAt(pid, day, [&](const TRoomsUsage& entry) {
        if (!first) first = &entry;
        last = &entry;
    });
    if (!first) {
        view.background = colors.Default;
        view.textColor = ContrastColor(view.background);
        return view;
    }
    const TRoomsUsage& stay = *first;
    view.empty = false;
    view.stay = &stay;
    view.conflict = last != first;
    bool known = true;
    view.background = StatusColor(stay.STATUS, colors, &known);
    if (view.conflict) view.background = colors.Conflict;
    view.textColor = ContrastColor(view.background);
    view.upper = stay.name;
    if (stay.STATUS == QLatin1Char('X')) {
        view.oneLine = true;
        return view;
    }
    if (view.conflict) view.lower = last->name;
    else if (!known) view.lower = invalidStatusText.left(kMaxPriceTextLength);
    else view.lower = stay.priceText;
    return view;
}

}  // namespace board
