// TfrmMain: building the board window and its menu, painting the grid cells, the grid's
// mouse and key events, the housekeeping commands and the timer. Every message goes through
// LangMessageBox with its English text as key; dialogs of other subsystems open through
// the dialog seam, and the board reloads after every dialog that can change stays.
#include "board/TfrmMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QProgressDialog>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <utility>

#include "board/BoardData.h"
#include "platform/DialogSeam.h"
#include "board/DrawGrid.h"
#include "board/TfrmNewDateTamarel.h"
#include "engine/SpanIndex.h"
#include "lang/Language.h"
#include "options/Options.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"
#include "widgets/CalcEdit.h"

#ifdef TAMAREL_HAVE_BACKUP
#include "backup/Backup.h"
#endif

namespace {

TfrmMain* g_frmMain = nullptr;

constexpr int kHeaderRowHeight = 20;
constexpr int kLineHeight = 15;
constexpr int kNoTag = -1;
constexpr int kBarTag = 100;

// The menu tree: the five bar entries (tag 100) and their items. Items without tag show
// picture 0; separators are "-".
struct MenuEntry {
    const char* name;
    const char* caption;
    int tag;
};
struct MenuBarEntry {
    const char* name;
    const char* caption;
    std::initializer_list<MenuEntry> items;
};
const MenuBarEntry kMenu[] = {
    {"mnOverview", "&Overview",
     {{"mnClients", "&Clients", 15},
      {"mnReminderNotes", "&Notes && Reminder", 22},
      {"mnAcctItems", "&Account Items", 24},
      {"mnGuestBook", "&Guest book", kNoTag},
      {"mnFeeBook", "Accommodation &fee book", kNoTag},
      {"mnTakings", "Day's &takings", kNoTag},
      {"mnBreak1", "-", kNoTag},
      {"mnExit", "E&xit", kNoTag}}},
    {"mnAction", "&Action",
     {{"mnReservation", "&Reservation", 4},
      {"mnRemoveSelectedRes", "Remove Selected Reservation", 21},
      {"mnRemovePrelRes", "Remove Expired Reservations", 3},
      {"mnBreak2", "-", kNoTag},
      {"mnCheckIn", "&Check In", 9},
      {"mnAddToAccount", "&Add Stay to Account", 10},
      {"mnGuests", "&Guests of the Stay", kNoTag},
      {"mnBreak3", "-", kNoTag},
      {"mnCheckOut", "C&heck out", 5},
      {"mnCloseAccount", "C&lose Account", 6},
      {"mnChangeAcctItems", "Revise Account Items", kNoTag},
      {"mnBreak5", "-", kNoTag},
      {"mnPrintAccount", "&Print Account", 11},
      {"mnBreak4", "-", kNoTag},
      {"mnOutOfOrder", "&Out of order", 8},
      {"mnSyncCalendars", "S&ynchronise calendars", kNoTag}}},
    {"mnSettings", "&Settings",
     {{"mnRoomsDef", "&Rooms", 16},
      {"mnAcctItemTypes", "&Account Item Types", 13},
      {"mnKnowFrom", "&Knows from", 12},
      {"mnRates", "Ra&tes", 14},
      {"mnHotelDetails", "&Hotel details", kNoTag},
      {"mnCalendars", "Ca&lendars", kNoTag},
      {"mnBreak10", "-", kNoTag},
      {"mnOptions", "&Options", 17},
      {"mnBreak6", "-", kNoTag},
      {"mnBackupDatabase", "&Backup database", 20},
      {"mnRestore", "Restore &database", 19},
      {"mnImportParadox", "&Import Paradox tables", kNoTag}}},
    {"mnStatistics", "S&tatistics", {{"mnRoomsStat", "&Rooms usage", 7}, {"mnVisitorStat", "&Guests by country", kNoTag}}},
    {"mnPrint", "&Print", {{"mnPrintLabels", "&Labels", 23}}},
    {"mnHelp", "&Help", {{"mnHelpHelp", "&Help", 25}}},
};

// The image list imgMenu: one standard picture per tag.
QIcon menuPicture(int tag)
{
    QStyle::StandardPixmap pixmap = QStyle::SP_FileIcon;
    switch (tag) {
    case 3: pixmap = QStyle::SP_TrashIcon; break;
    case 4: pixmap = QStyle::SP_FileDialogNewFolder; break;
    case 5: pixmap = QStyle::SP_ArrowRight; break;
    case 6: pixmap = QStyle::SP_DialogSaveButton; break;
    case 7: pixmap = QStyle::SP_FileDialogInfoView; break;
    case 8: pixmap = QStyle::SP_MessageBoxCritical; break;
    case 9: pixmap = QStyle::SP_ArrowLeft; break;
    case 10: pixmap = QStyle::SP_ArrowUp; break;
    case 11: pixmap = QStyle::SP_FileDialogDetailedView; break;
    case 12: pixmap = QStyle::SP_DirLinkIcon; break;
    case 13: pixmap = QStyle::SP_FileDialogListView; break;
    case 14: pixmap = QStyle::SP_BrowserReload; break;
    case 15: pixmap = QStyle::SP_DirHomeIcon; break;
    case 16: pixmap = QStyle::SP_DesktopIcon; break;
    case 17: pixmap = QStyle::SP_FileDialogContentsView; break;
    case 19: pixmap = QStyle::SP_DialogOpenButton; break;
    case 20: pixmap = QStyle::SP_DriveHDIcon; break;
    case 21: pixmap = QStyle::SP_DialogDiscardButton; break;
    case 22: pixmap = QStyle::SP_MessageBoxInformation; break;
    case 23: pixmap = QStyle::SP_FileLinkIcon; break;
    case 24: pixmap = QStyle::SP_FileDialogStart; break;
    case 25: pixmap = QStyle::SP_DialogHelpButton; break;
    default: break;
    }
    return QApplication::style()->standardIcon(pixmap);
}

// The client's open account: its account row without a payment date.
QString openAccountSql(TdmDataModule& dm, int kid)
{
    return shell::Sql(u"SELECT * FROM %1 WHERE KID=%2 and DATEPAYM is null", shell::Table(dm.DbPrefix(), u"UCTY.DB"), kid);
}

}  // namespace

TfrmMain* frmMain() { return g_frmMain; }

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tamarel"));
    g_frmMain = this;

    m_language = new TLanguage(this);
    widgets::TCalcEdit::setTranslator(TranslateMessageIfAny);   // the calculator's title and hint
    QStringList languages = m_language->LanguageList();
    if (!languages.contains(QStringLiteral("Česky"))) languages << QStringLiteral("Česky");
    m_language->setLanguageList(languages);
    m_language->setLanguageIdent(1);
    if (m_language->LanguageIdent() < 0) m_language->DetectLanguage();

    buildWindow();
    buildMenu();

    m_refreshCountdown = 3;
    m_firstDate = shell::TodayNumber() - options().FirstColRelative;

    // The window starts at the screen's top left corner, as wide as the screen.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.topLeft());
        resize(available.width(), height());
    }

    m_tmrTimer = new QTimer(this);
    m_tmrTimer->setObjectName(QStringLiteral("tmrTimer"));
    m_tmrTimer->setInterval(1000);
    connect(m_tmrTimer, &QTimer::timeout, this, &TfrmMain::tmrTimerTimer);
    m_tmrTimer->start();
    // A short timer rather than a watch on the listening socket: that socket is made again
    // after a lost connection, and a tick costs one read that does not wait.
    m_tmrServerChanges = new QTimer(this);
    m_tmrServerChanges->setObjectName(QStringLiteral("tmrServerChanges"));
    m_tmrServerChanges->setInterval(250);
    connect(m_tmrServerChanges, &QTimer::timeout, this, &TfrmMain::tmrServerChangesTimer);
    m_tmrServerChanges->start();
    // The portals' calendar feeds are read when due; the calendars decide when that is.
    auto* calendars = new QTimer(this);
    calendars->setObjectName(QStringLiteral("tmrCalendars"));
    connect(calendars, &QTimer::timeout, this, [this] {
        if (platform::openDialog(platform::dialogs::CalendarsTimer) == platform::kAccepted) RefreshBoard();
    });
    calendars->start(60000);
    qApp->installEventFilter(this);
}

TfrmMain::~TfrmMain()
{
    if (g_frmMain == this) g_frmMain = nullptr;
}

void TfrmMain::buildWindow()
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_pnlGrid = new QWidget(central);
    m_pnlGrid->setObjectName(QStringLiteral("pnlGrid"));
    auto* panelLayout = new QVBoxLayout(m_pnlGrid);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    m_grDraw = new TDrawGrid(m_pnlGrid);
    m_grDraw->setObjectName(QStringLiteral("grDraw"));
    panelLayout->addWidget(m_grDraw);
    layout->addWidget(m_pnlGrid);
    layout->addStretch(1);
    setCentralWidget(central);

    m_grDraw->setRowHeight(0, kHeaderRowHeight);
    m_grDraw->setColCount(options().NumDays + 1);
    m_grDraw->setCellPainter([this](QPainter& p, int c, int r, const QRect& rect, bool selected) {
        paintCell(p, c, r, rect, selected);
    });
    m_grDraw->setBeforePaint([this] { preparePaint(); });
    connect(m_grDraw, &TDrawGrid::mousePressed, this, &TfrmMain::grDrawMouseDown);
    connect(m_grDraw, &TDrawGrid::cellDoubleClicked, this, &TfrmMain::grDrawDblClick);
    connect(m_grDraw, &TDrawGrid::enterPressed, this, &TfrmMain::grDrawEnter);
    connect(m_grDraw, &TDrawGrid::deleteRowRequested, this, &TfrmMain::grDrawDeleteRow);
    connect(m_grDraw, &TDrawGrid::ctrlDPressed, this, &TfrmMain::DeleteAccountInfo);
    connect(m_grDraw, &TDrawGrid::cellMenuRequested, this, &TfrmMain::grDrawCellMenu);
    // No name: it is no item of the menu tree, and its caption is the room detail's own.
    m_actRoomDetail = new QAction(QStringLiteral("Room detail"), m_grDraw);
    connect(m_actRoomDetail, &QAction::triggered, this, &TfrmMain::mnRoomDetailClick);

    m_sbStatus = new QStatusBar(this);
    m_sbStatus->setObjectName(QStringLiteral("sbStatus"));
    m_sbStatus->setSizeGripEnabled(false);
    m_statusPanel = new QLabel(m_sbStatus);
    m_statusPanel->setObjectName(QStringLiteral("sbStatusPanel0"));
    m_sbStatus->addWidget(m_statusPanel);
    setStatusBar(m_sbStatus);
}

void TfrmMain::buildMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("mnRxMain"));
    const QHash<QString, std::function<void()>> commands = {
        {"mnClients", [this] { openAndRefresh(platform::dialogs::BrowseClients); }},
        {"mnReminderNotes", [this] { platform::openDialog(platform::dialogs::NotesReminder); FindNextReminder(); }},
        {"mnAcctItems", [] { platform::openDialog(platform::dialogs::AccountItems); }},
        {"mnExit", [this] { close(); }},
        {"mnReservation", [this] { mnReservationClick(); }},
        {"mnRemoveSelectedRes", [this] { mnRemoveSelectedResClick(); }},
        {"mnRemovePrelRes", [this] { mnRemovePrelResClick(); }},
        {"mnCheckIn", [this] { mnCheckInClick(); }},
        {"mnAddToAccount", [this] { mnAddToAccountClick(); }},
        {"mnCheckOut", [this] { accountCommand(platform::dialogs::CheckOut); }},
        {"mnCloseAccount", [this] { accountCommand(platform::dialogs::CloseAccount); }},
        {"mnChangeAcctItems", [this] { accountCommand(platform::dialogs::ReviseAccountItems); }},
        {"mnPrintAccount", [this] { accountCommand(platform::dialogs::PrintAccount); }},
        {"mnOutOfOrder", [this] { mnOutOfOrderClick(); }},
        {"mnSyncCalendars", [this] { if (platform::openDialog(platform::dialogs::SyncCalendars) == platform::kAccepted) RefreshBoard(); }},
        {"mnCalendars", [this] { openAndRefresh(platform::dialogs::Calendars); }},
        {"mnRoomsDef", [this] { platform::openDialog(platform::dialogs::Rooms); LoadRooms(); RefreshBoard(); }},
        {"mnAcctItemTypes", [] { platform::openDialog(platform::dialogs::AcctItemTypes); }},
        {"mnKnowFrom", [] { platform::openDialog(platform::dialogs::KnowsFrom); }},
        {"mnRates", [] { platform::openDialog(platform::dialogs::Rates); }},
        {"mnOptions", [this] { mnOptionsClick(); }},
        {"mnBackupDatabase", [this] { mnBackupDatabaseClick(); }},
        {"mnRestore", [this] { mnRestoreClick(); }},
        // Moving in from Paradox files (paradox/); the board reloads after rows came in.
        {"mnImportParadox", [this] {
             if (platform::openDialog(QStringLiteral("frmImportParadox")) != platform::kAccepted) return;
             LoadRooms();
             RefreshBoard();
         }},
        {"mnRoomsStat", [] { platform::openDialog(platform::dialogs::Statistics); }},
        {"mnPrintLabels", [] { platform::openDialog(platform::dialogs::Labels); }},
        {"mnHelpHelp", [this] { mnHelpHelpClick(); }},
        // The guest book's windows (guests/RegisterGuests.h): the persons of the selected stay.
        {"mnGuests", [this] {
             const TRoomsUsage* s = StayAtCursor();
             if (!s || s->STATUS == QLatin1Char('X'))
                 message("No stay selected", "Guests of the stay", int(platform::Icon::Warning), int(platform::Buttons::Ok));
             else platform::openDialog(QStringLiteral("frmGuests"), QVariantMap{{"BID", s->BID}});
         }},
        {"mnGuestBook", [] { platform::openDialog(QStringLiteral("frmGuestBook")); }},
        {"mnFeeBook", [] { platform::openDialog(QStringLiteral("frmFeeBook")); }},
        {"mnVisitorStat", [] { platform::openDialog(QStringLiteral("frmVisitorStatistics")); }},
        {"mnTakings", [] { platform::openDialog(QStringLiteral("frmTakings")); }},
        {"mnHotelDetails", [] { platform::openDialog(QStringLiteral("frmHotelDetails")); }},
    };
    for (const MenuBarEntry& top : kMenu) {
        QMenu* menu = bar->addMenu(QString::fromUtf8(top.caption));
        menu->setObjectName(QString::fromLatin1(top.name));
        menu->menuAction()->setObjectName(QString::fromLatin1(top.name) + QStringLiteral("Action"));
        menu->setProperty("Tag", kBarTag);
        menu->setCursor(Qt::PointingHandCursor);
        menu->setSeparatorsCollapsible(false);
        for (const MenuEntry& item : top.items) {
            const QString name = QString::fromLatin1(item.name);
            QAction* action = nullptr;
            if (QString::fromUtf8(item.caption) == QStringLiteral("-")) {
                action = menu->addSeparator();
            } else {
                action = menu->addAction(menuPicture(item.tag == kNoTag ? 0 : item.tag),
                                         QString::fromUtf8(item.caption));
                if (const auto command = commands.value(name)) connect(action, &QAction::triggered, this, command);
            }
            action->setObjectName(name);
            action->setParent(this);  // findChild from the window reaches every item
            action->setProperty("Tag", item.tag == kNoTag ? 0 : item.tag);
        }
    }
}

QAction* TfrmMain::menuItem(const QString& name) const { return findChild<QAction*>(name); }

QMenu* TfrmMain::menuNamed(const QString& name) const { return findChild<QMenu*>(name); }

void TfrmMain::setVersionText(const QString& version)
{
    m_statusPanel->setText(QStringLiteral("Tamarel Vs ") + version);
}

void TfrmMain::applyStartOptions(int columnCount)
{
    if (columnCount > 0) setColumnCount(columnCount);
    m_firstDate = shell::TodayNumber() - options().FirstColRelative;
}

int TfrmMain::columnCount() const { return m_grDraw->colCount(); }

void TfrmMain::setColumnCount(int count)
{
    if (count < 2) return;
    m_grDraw->setColCount(count);
}

void TfrmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    m_statusPanel->setFixedWidth(std::max(0, width() - 200));
}

// ---- loading -------------------------------------------------------------------------

void TfrmMain::LoadRooms()
{
    TdmDataModule* dm = dmDataModule();
    if (!dm || !board::LoadRoomList(*dm, m_rooms)) return;
    m_grDraw->setRowCount(int(m_rooms.size()) + 1);
    const int panelHeight = m_grDraw->totalHeight() + 30;
    m_pnlGrid->setFixedHeight(panelHeight);
    resize(width(), panelHeight + 70);
    m_grDraw->viewport()->update();
}

void TfrmMain::LoadStays()
{
    // While the stays' index is built the stays' file is being written: the load waits for it.
    if (m_preparingIndex) return;
    m_hasStayList = true;
    m_invalidStatusText = TranslateMessage(QStringLiteral("Invalid Status!"));
    TdmDataModule* dm = dmDataModule();
    if (!dm) {
        m_stays.clear();
        return;
    }
    const board::TLoadStaysResult result =
        board::LoadStayList(*dm, m_stays, m_firstDate, columnCount(), options().PreferEUR);
    // One message per load, however many of its queries failed. While it is open the timer
    // starts no other load.
    if (result.failedQueries > 0) {
        m_reportingLoad = true;
        LangMessageBox(this, QStringLiteral("Can't load data of stays"), QStringLiteral("Error"),
                       platform::Icon::Warning, platform::Buttons::Ok);
        m_reportingLoad = false;
    }
}

void TfrmMain::RefreshBoard()
{
    platform::openDialog(platform::dialogs::ExportCalendars);  // the rooms' calendars follow the stays
    LoadStays();
    m_grDraw->viewport()->update();
    m_refreshCountdown = 3;
}

const TRoomsUsage* TfrmMain::StayAtCursor() const
{
    const int c = m_grDraw->col(), r = m_grDraw->row();
    if (c <= 0 || r <= 0 || r > m_rooms.size()) return nullptr;
    return m_stays.stayAt(m_rooms.at(r - 1).PID, m_firstDate + c - 1);
}

QString TfrmMain::selectedRoomPid() const
{
    const int r = m_grDraw->row();
    return r >= 1 && r <= m_rooms.size() ? m_rooms.at(r - 1).PID : QString();
}

QString TfrmMain::selectedRoomName() const
{
    const int r = m_grDraw->row();
    return r >= 1 && r <= m_rooms.size() ? m_rooms.at(r - 1).PNAME : QString();
}

int TfrmMain::selectedDay() const { return m_firstDate + m_grDraw->col() - 1; }

// ---- painting ------------------------------------------------------------------------

void TfrmMain::preparePaint()
{
    if (!m_hasStayList) LoadStays();
    m_colors = board::ColorsFromOptions();
    m_today = shell::TodayNumber();
    if (m_cachedFont != m_grDraw->font()) {
        m_cachedFont = m_grDraw->font();
        m_cachedMetrics = QFontMetrics(m_cachedFont);
        m_cellImages.clear();
    }
}

QString TfrmMain::shortened(const QString& name, int width) const
{
    if (name.size() <= 20) return name;  // never shortened
    return board::ShortenName(name, width, [&](const QString& t) { return m_cachedMetrics.horizontalAdvance(t); });
}

// A cell is drawn once into an image and then copied: the same guest and price fill every
// night of a stay, and a repaint of an unchanged board copies every cell.
void TfrmMain::paintLook(QPainter& p, const QRect& rect, const TCellLook& look)
{
    const qreal ratio = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    const TCellKey key{look.background, look.text, look.bold, look.twoLines, rect.width(), rect.height(), ratio,
                       look.upper, look.lower};
    auto it = m_cellImages.constFind(key);
    if (it == m_cellImages.constEnd()) {
        if (m_cellImages.size() >= kMaxCachedCells) m_cellImages.clear();
        QImage image(rect.size() * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(look.background);
        QPainter painter(&image);
        QFont font = m_cachedFont;
        font.setBold(look.bold);
        painter.setFont(font);
        painter.setPen(QColor::fromRgb(look.text));
        const QRect local(QPoint(0, 0), rect.size());
        if (look.twoLines) {
            painter.drawText(local.adjusted(0, 0, 0, -kLineHeight), Qt::AlignCenter, shortened(look.upper, rect.width()));
            painter.drawText(local.adjusted(0, kLineHeight, 0, 0), Qt::AlignCenter, look.lower);
        } else {
            painter.drawText(local, Qt::AlignCenter, look.upper);
        }
        painter.end();
        it = m_cellImages.insert(key, image);
    }
    p.drawImage(rect.topLeft(), *it);
}

TfrmMain::TCellLook TfrmMain::cellLook(int col, int row) const
{
    TCellLook look = lookOf(col, row);
    if (look.twoLines) look.upper = shortened(look.upper, m_grDraw->cellRect(col, row).width());
    return look;
}

// The look before a long guest name is shortened: painting shortens it only when it draws a
// cell it has not drawn before, so a repaint measures no text.
TfrmMain::TCellLook TfrmMain::lookOf(int col, int row) const
{
    if (col == 0 && row == 0) return {QColor(Qt::white).rgb(), QColor(Qt::blue).rgb(), true, false, QStringLiteral("<<<  ?  >>>"), {}};
    if (row > m_rooms.size()) return {};
    if (col == 0) {
        const TBoardRoom& room = m_rooms.at(row - 1);
        const QColor background = colorFromWindows(room.PCOLOR);
        return {background.rgb(), board::ContrastColor(background).rgb(), true, false, room.PNAME, {}};
    }
    const int day = m_firstDate + col - 1;
    if (row == 0) {
        QColor background = m_grDraw->palette().color(QPalette::Button);
        QColor text = Qt::black;
        if (day == m_today) {
            background = Qt::blue;
            text = Qt::white;
        }
        if (shell::IsWeekend(day)) text = Qt::red;
        return {background.rgb(), text.rgb(), true, false, shell::DateText(double(day)), {}};
    }
    const board::TCellView view =
        board::NightCell(m_stays, m_rooms.at(row - 1).PID, day, m_colors, m_invalidStatusText);
    if (view.empty) return {view.background.rgb(), view.textColor.rgb(), false, false, {}, {}};
    return {view.background.rgb(), view.textColor.rgb(), false, !view.oneLine, view.upper, view.lower};
}

void TfrmMain::paintCell(QPainter& p, int col, int row, const QRect& rect, bool selected)
{
    const TCellLook look = lookOf(col, row);
    if (col == 0 && row == 0) {
        p.fillRect(rect, QColor::fromRgb(look.background));
        QFont font = m_cachedFont;
        font.setBold(true);
        font.setPointSize(10);
        p.save();
        p.setClipRect(rect);
        p.setFont(font);
        p.setPen(QColor::fromRgb(look.text));
        p.drawText(rect, Qt::AlignCenter, look.upper);
        p.restore();
        return;
    }
    if (row > m_rooms.size()) return;
    if (look.upper.isEmpty() && look.lower.isEmpty() && row > 0 && col > 0) p.fillRect(rect, QColor::fromRgb(look.background));
    else paintLook(p, rect, look);
    if (row > 0 && col > 0 && selected && m_grDraw->hasFocus()) {
        p.setPen(QPen(QColor::fromRgb(look.text), 1, Qt::DotLine));
        p.drawRect(rect.adjusted(1, 1, -2, -2));
    }
}

// ---- grid events ---------------------------------------------------------------------

void TfrmMain::grDrawMouseDown(const QPoint& pos, Qt::MouseButton)
{
    if (pos.x() >= m_grDraw->colWidth(0) || pos.y() >= m_grDraw->rowHeight(0)) return;
    const int middle = m_grDraw->colWidth(0) / 2;
    if (pos.x() > middle + 8) {
        ++m_firstDate;
    } else if (pos.x() < middle - 8) {
        --m_firstDate;
    } else {
        TfrmNewDateTamarel* dialog = frmNewDateTamarel();
        if (!dialog) return;
        dialog->setDate(m_firstDate);
        if (platform::runModal(dialog) != QDialog::Accepted || dialog->date() < 0) return;
        m_firstDate = dialog->date();
        m_grDraw->setLeftCol(1);
    }
    RefreshBoard();
}

void TfrmMain::grDrawDblClick(const QPoint& pos)
{
    int c, r;
    if (!m_grDraw->cellAt(pos, c, r) || c == 0 || r == 0) return;
    // The press before a double-click selects the cell; selecting again keeps the two in step.
    m_grDraw->setSelection(c, r);
    dispatchCell();
}

// Enter acts on the selected cell wherever the mouse pointer rests.
void TfrmMain::grDrawEnter() { dispatchCell(); }

void TfrmMain::dispatchCell()
{
    const int c = m_grDraw->col(), r = m_grDraw->row();
    if (c == 0 || r == 0 || r > m_rooms.size()) return;
    const int day = m_firstDate + c - 1;
    const QString pid = m_rooms.at(r - 1).PID;
    // Copies: the list is rebuilt while the dialogs run.
    QVector<TRoomsUsage> here;
    for (const TRoomsUsage* stay : m_stays.staysAt(pid, day)) here.append(*stay);
    if (here.isEmpty()) {
        platform::openDialog(platform::dialogs::Reservation,
                          QVariantMap{{"BID", 0}, {"PID", pid}, {"PNAME", m_rooms.at(r - 1).PNAME}, {"DATEFROM", day}});
        RefreshBoard();
        return;
    }
    for (const TRoomsUsage& stay : here) {
        switch (stay.STATUS.unicode()) {
        case 'P':
        case 'R': platform::openDialog(platform::dialogs::Reservation, QVariantMap{{"BID", stay.BID}}); break;
        case 'H': platform::openDialog(platform::dialogs::RoomDetail, QVariantMap{{"BID", stay.BID}}); break;
        case 'O':
            LangMessageBox(this, QStringLiteral("The client has already checked out"), QStringLiteral("Tamarel"),
                           platform::Icon::None, platform::Buttons::Ok);
            break;
        case 'X': platform::openDialog(platform::dialogs::OutOfOrders, QVariantMap{{"BID", stay.BID}}); break;
        default: break;
        }
    }
    RefreshBoard();
}

void TfrmMain::grDrawDeleteRow() { mnRemoveSelectedResClick(); }

void TfrmMain::fillCellMenu(QMenu& menu)
{
    // The Action menu's commands that act on the stay under the cursor, in the order a stay
    // goes through them; null is the room detail, "-" a separator.
    const char* const entries[] = {"mnReservation", "mnCheckIn",     "mnAddToAccount",    nullptr,
                                   "-",             "mnCheckOut",    "mnCloseAccount",    "mnPrintAccount",
                                   "mnChangeAcctItems", "-",         "mnOutOfOrder",      "mnRemoveSelectedRes"};
    const TRoomsUsage* stay = StayAtCursor();
    m_actRoomDetail->setText(TranslateMessage(QStringLiteral("Room detail")));
    m_actRoomDetail->setEnabled(stay && stay->STATUS == QLatin1Char('H'));
    for (const char* name : entries) {
        if (!name) menu.addAction(m_actRoomDetail);
        else if (qstrcmp(name, "-") == 0) menu.addSeparator();
        else if (QAction* action = menuItem(QString::fromLatin1(name))) menu.addAction(action);
    }
}

void TfrmMain::grDrawCellMenu(int, int, const QPoint& globalPos)
{
    QMenu menu(m_grDraw);
    fillCellMenu(menu);
    menu.exec(globalPos);
}

void TfrmMain::mnRoomDetailClick()
{
    const TRoomsUsage* stay = StayAtCursor();
    if (!stay || stay->STATUS != QLatin1Char('H')) return;
    openAndRefresh(platform::dialogs::RoomDetail, QVariantMap{{"BID", stay->BID}});
}

void TfrmMain::DeleteAccountInfo() { accountCommand(platform::dialogs::DeleteAccountInfo); }

QVariantMap TfrmMain::stayArgs(const TRoomsUsage& s) const
{
    return QVariantMap{{"BID", s.BID},           {"UID", s.UID},           {"KID", s.KID},
                       {"PID", s.PID},           {"name", s.name},         {"STATUS", QString(s.STATUS)},
                       {"DATEFROM", s.DATEFROM}, {"DATETHRU", s.DATETHRU}, {"PRICEEUR", s.PRICEEUR},
                       {"PRICECZK", s.PRICECZK}, {"MAIDEUR", s.MAIDEUR},   {"MAIDCZK", s.MAIDCZK},
                       {"NUMPERS", s.NUMPERS},   {"PNAME", selectedRoomName()}};
}

// The check-out and account commands belong to the accounts subsystem; they get the stay
// under the cursor (or none) and do their own checks and messages; the board reloads when
// they answer that they changed the tables.
void TfrmMain::accountCommand(const QString& command)
{
    QVariantMap args;
    if (const TRoomsUsage* s = StayAtCursor()) args = stayArgs(*s);
    else args = QVariantMap{{"PNAME", selectedRoomName()}};
    args.insert("hasStay", StayAtCursor() != nullptr);
    // Accepted: the command changed the stays or accounts.
    if (platform::openDialog(command, args) == platform::kAccepted) RefreshBoard();
}

void TfrmMain::openAndRefresh(const QString& dialog, QVariantMap args)
{
    platform::openDialog(dialog, args);
    RefreshBoard();
}

int TfrmMain::message(const QString& text, const QString& caption, int icon, int buttons)
{
    return LangMessageBox(this, text, caption, platform::Icon(icon), platform::Buttons(buttons));
}

// ---- commands ------------------------------------------------------------------------

void TfrmMain::mnReservationClick() { openAndRefresh(platform::dialogs::Reservation, QVariantMap{{"BID", 0}}); }

void TfrmMain::mnRemoveSelectedResClick()
{
    const TRoomsUsage* s = StayAtCursor();
    if (!s) {
        message("No reservation selected", "Delete reservation", int(platform::Icon::Warning), int(platform::Buttons::Ok));
        return;
    }
    if (s->STATUS != QLatin1Char('P') && s->STATUS != QLatin1Char('R')) {
        message("Can't delete stay in this status", "Delete Reservation", int(platform::Icon::Warning),
                int(platform::Buttons::Ok));
        return;
    }
    const int bid = s->BID;
    if (message("Are you sure to delete the selected reservation?", "Delete reservation",
                int(platform::Icon::Question), int(platform::Buttons::YesNo)) != QMessageBox::Yes)
        return;
    TdmDataModule* dm = dmDataModule();
    const bool ok =
        dm && dm->ExecStatement(shell::Sql(u"DELETE from %1 WHERE bid=%2", shell::Table(dm->DbPrefix(), u"POBYTY.DB"), bid));
    if (!ok || dm->lastCount() < 1)
        message("Can't delete the stay", "Delete Reservation", int(platform::Icon::Warning), int(platform::Buttons::Ok));
    RefreshBoard();
}

void TfrmMain::mnRemovePrelResClick()
{
    if (message("Do you wish to remove expired preliminary reservations?", "Reservations",
                int(platform::Icon::Question), int(platform::Buttons::YesNoCancel)) != QMessageBox::Yes)
        return;
    TdmDataModule* dm = dmDataModule();
    int count = -1;
    if (dm) {
        const bool ok = dm->ExecStatement(shell::Sql(u"DELETE FROM %1 WHERE STATUS=\"P\" and PRTHRU<%2",
                                                     shell::Table(dm->DbPrefix(), u"POBYTY.DB"),
                                                     shell::QuoteText(shell::TodayText())));
        count = ok ? dm->lastCount() : -1;
    }
    LangMessageBox(this,
                   TranslateMessage(QStringLiteral("Number of removed reservations is ")) + QString::number(count),
                   QStringLiteral("Removed reservations"), platform::Icon::Information, platform::Buttons::Ok);
    RefreshBoard();
}

void TfrmMain::mnCheckInClick()
{
    const QString caption = QStringLiteral("Check in");
    const int warn = int(platform::Icon::Warning), ok = int(platform::Buttons::Ok);
    const TRoomsUsage* s = StayAtCursor();
    if (!s) return void(message("No reservation selected", caption, warn, ok));
    if (s->KID == 0) return void(message("Client card not attached to the reservation", caption, warn, ok));
    if (s->STATUS == QLatin1Char('H')) return void(message("Already checked in", caption, warn, ok));
    const int today = shell::TodayNumber();
    if (today < s->DATEFROM) return void(message("The room is not booked from today! Can't check in", caption, warn, ok));
    const TRoomsUsage stay = *s;
    if (stay.DATEFROM < today &&
        message("The room is not booked from today!\r\n\r\nAre you sure to check in?", caption, warn,
                int(platform::Buttons::YesNo)) != QMessageBox::Yes)
        return;
    TdmDataModule* dm = dmDataModule();
    if (!dm) return;
    // An account table that cannot be read cannot tell whether the client's account is open.
    if (!dm->OpenAndCount(openAccountSql(*dm, stay.KID)))
        return void(message("Can't load from Accounts table", caption, warn, ok));
    if (dm->lastCount() > 0) {
        message("Client's account is already open. Choose \"Add to account\"", caption,
                int(platform::Icon::Information), ok);
        return;
    }
    openAndRefresh(platform::dialogs::CheckIn,
                   QVariantMap{{"BID", stay.BID}, {"KID", stay.KID}, {"DATEFROM", stay.DATEFROM}});
}

void TfrmMain::mnAddToAccountClick()
{
    const int warn = int(platform::Icon::Warning), ok = int(platform::Buttons::Ok);
    const QString checkIn = QStringLiteral("Check in"), addTo = QStringLiteral("Add to account");
    const TRoomsUsage* s = StayAtCursor();
    if (!s) return void(message("No reservation selected", checkIn, warn, ok));
    if (s->KID == 0) return void(message("Client card not attached to the reservation", checkIn, warn, ok));
    const int today = shell::TodayNumber();
    if (today < s->DATEFROM) return void(message("The room is not booked from today! Can't check in", checkIn, warn, ok));
    const TRoomsUsage stay = *s;
    if (stay.DATEFROM < today &&
        message("The room is not booked from today!\r\n\r\nAre you sure to check in?", checkIn, warn,
                int(platform::Buttons::YesNo)) != QMessageBox::Yes)
        return;
    TdmDataModule* dm = dmDataModule();
    if (!dm) return;
    int account = 0;
    try {
        auto q = dm->Open(openAccountSql(*dm, stay.KID));
        if (!q->next()) return void(message("No open account for this client", addTo, warn, ok));
        account = int(q->integer("UID"));
    } catch (const std::exception&) {
        return void(message("Can't load from Accounts table", addTo, warn, ok));
    }
    if (account <= 0) return;
    const bool done = dm->ExecStatement(shell::Sql(
                          u"UPDATE %1 SET UID=%2, STATUS=\"H\" WHERE (UID is null OR UID=0) and (KID=%3) AND (PID=%4)",
                          shell::Table(dm->DbPrefix(), u"POBYTY.DB"), account, stay.KID, shell::QuoteText(stay.PID))) &&
                      dm->lastCount() > 0;
    if (done) message("Successfully added to account", addTo, int(platform::Icon::Information), ok);
    else message("Can't add this stay to account", addTo, warn, ok);
    RefreshBoard();
}

void TfrmMain::mnOutOfOrderClick()
{
    openAndRefresh(platform::dialogs::OutOfOrders,
                   QVariantMap{{"BID", 0}, {"DATEFROM", selectedDay()}, {"PID", selectedRoomPid()},
                               {"PNAME", selectedRoomName()}});
}

void TfrmMain::mnOptionsClick()
{
    QVariantMap args{{"columnCount", columnCount()}};
    if (platform::openDialog(platform::dialogs::Options, args) != platform::kAccepted) return;
    const int count = args.value("columnCount", columnCount()).toInt();
    if (count != columnCount()) setColumnCount(count);
    RefreshBoard();
}

void TfrmMain::mnBackupDatabaseClick()
{
#ifdef TAMAREL_HAVE_BACKUP
    if (TdmDataModule* dm = dmDataModule()) BackupDatabase(this, dm->db(), dm->DbPrefix());
#else
    platform::openDialog(platform::dialogs::Backup);
#endif
}

void TfrmMain::mnRestoreClick()
{
    // The board reloads whatever the restore did: a failed restore may have replaced some
    // table files before it stopped.
#ifdef TAMAREL_HAVE_BACKUP
    if (TdmDataModule* dm = dmDataModule()) RestoreDatabase(this, dm->db(), dm->DbPrefix());
#else
    platform::openDialog(platform::dialogs::Restore);
#endif
    LoadRooms();
    RefreshBoard();
}

void TfrmMain::mnHelpHelpClick()
{
    // In Czech the Czech page (Help/cs/), when it is there; otherwise the English one.
    const QString help = platform::paths::helpFolder();
    const QString czech = help + QStringLiteral("cs/HelpContent.html");
    const bool inCzech = m_language && m_language->LanguageIdent() == 2;
    const QString page = inCzech && QFileInfo::exists(czech) ? czech : help + QStringLiteral("HelpContent.html");
    if (QFileInfo::exists(page)) platform::shellOpen(QUrl::fromLocalFile(page));
}

// ---- activation, closing, timer ------------------------------------------------------

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // The first showing loads the board whether or not the window manager activates it.
    if (event->spontaneous() || m_shownOnce) return;
    m_shownOnce = true;
    m_language->TranslateAll();
    prepareStaysIndex();
    LoadRooms();
    RefreshBoard();
}

// A folder whose stays have no span index yet (a folder written by another program, an old
// archive restored) gets it here, under a window that says so, instead of in the first load
// with the board blank and deaf for as long as it takes.
void TfrmMain::prepareStaysIndex()
{
    TdmDataModule* dm = dmDataModule();
    if (!dm || dm->onServer()) return;
    const std::string file = (dm->DbPrefix() + QStringLiteral("POBYTY.DB")).toStdString();
    if (!engine::spanIndexMissing(file)) return;
    QProgressDialog progress(TranslateMessage(QStringLiteral("Preparing the stays' index; this happens once")), QString(),
                             0, 0, this);
    progress.setWindowTitle(QStringLiteral("Tamarel"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setCancelButton(nullptr);
    progress.show();
    QCoreApplication::processEvents();
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    m_preparingIndex = true;
    // A file another program holds now is left as it is: the engine makes the index when it
    // can, and the board works without it meanwhile; the wait for it is the engine's usual one.
    engine::buildSpanIndex(
        file,
        [&] {
            if (sinceEvents.elapsed() < 40) return;
            sinceEvents.restart();
            QCoreApplication::processEvents();
        },
        3000);
    m_preparingIndex = false;
}

// A modal dialog that closes brings the board up to date, as the activation that follows it
// on most desktops would (the rooms may have changed); it waits for the last one to close.
bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Hide && watched != this && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->isWindow() && widget->isModal() && !m_reloadAfterDialogQueued) {
            m_reloadAfterDialogQueued = true;
            QTimer::singleShot(0, this, [this] {
                m_reloadAfterDialogQueued = false;
                if (!isVisible() || QApplication::activeModalWidget()) return;
                LoadRooms();
                m_grDraw->viewport()->update();
            });
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow()) return;
    // Closing the drive warning activates the window again; that activation is the same
    // one, not a new one, or the warning would never let the user in.
    if (m_inActivation || QDateTime::currentMSecsSinceEpoch() < m_ignoreActivationUntil) return;
    FormActivate();
}

void TfrmMain::FormActivate()
{
    m_inActivation = true;
    m_language->TranslateAll();
    LoadRooms();
    if (!platform::isFixedDrive(platform::programFolder())) {
        message("Program must be run from a hard disk.", "Tamarel", int(platform::Icon::Warning),
                int(platform::Buttons::Ok));
        m_ignoreActivationUntil = QDateTime::currentMSecsSinceEpoch() + 500;
    }
    m_inActivation = false;
    // Last, and after the flag: a failed write of the include file reaches the event loop's
    // net as an error, and later activations still run.
    m_language->WriteLanguageInclude();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    saveOptions(columnCount());
    m_tmrTimer->stop();
    m_tmrServerChanges->stop();
    if (m_splash) m_splash->hide();
    event->accept();
}

void TfrmMain::FindNextReminder()
{
    TdmDataModule* dm = dmDataModule();
    if (!dm) return;
    try {
        auto q = dm->Open(
            shell::Sql(u"SELECT * from %1 WHERE typ=\"R\" ORDER BY dat,tim", shell::Table(dm->DbPrefix(), u"POZNAMKY.DB")));
        if (q->next()) {
            m_nextReminderId = int(q->integer("RMID"));
            m_nextReminderMoment = q->number("DATTIM");
        } else {
            m_nextReminderId = 0;
        }
    } catch (const std::exception&) {
        // The next reminder keeps its values; the next read tries again.
    }
}

void TfrmMain::ShowDueReminder()
{
    // One pop-up at a time: while it is open the timer goes on ticking.
    if (m_reminderShowing) return;
    if (m_nextReminderId <= 0 || m_nextReminderMoment > shell::NowDateTime()) return;
    // While another window is modal (or a menu is open) the board cannot take the focus:
    // the reminder stays due and comes up at the first tick after that window has closed.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) return;
    const int id = m_nextReminderId;
    const double moment = m_nextReminderMoment;
    m_nextReminderId = -1;
    m_reminderShowing = true;
    // The board comes forward with the pop-up, and only once for the same due reminder, so
    // a reminder that keeps coming up does not take the keyboard from another program
    // every ten seconds.
    QVariantMap args{{"RMID", id}, {"bringForward", id != m_broughtForwardId || moment != m_broughtForwardMoment}};
    try {
        platform::openDialog(platform::dialogs::Reminder, args);
    } catch (const std::exception&) {
        // Nothing is shown this time; the reminder is still due and comes up again.
    }
    if (args.value(QStringLiteral("shown")).toBool()) {
        m_broughtForwardId = id;
        m_broughtForwardMoment = moment;
    }
    m_reminderShowing = false;
    FindNextReminder();
    m_reminderCountdown = 6;
}

void TfrmMain::tmrTimerTimer()
{
    m_tmrTimer->setInterval(10000);
    if (m_splashFlag) {
        m_splashFlag = false;
        QTimer::singleShot(1000, this, [this] {
            if (m_splash && m_splash->isVisible()) m_splash->hide();
        });
    }

    if (--m_reminderCountdown <= 0) {
        FindNextReminder();
        m_reminderCountdown = 6;
    }
    ShowDueReminder();

    if (--m_refreshCountdown <= 0 && !m_reportingLoad) RefreshBoard();
}

// Other programs' changes on a server: the board reloads as the timer's reload does (also
// under a modal dialog), the room rows too when the rooms changed. On table files nothing is
// heard and the timer's reload alone shows other programs' changes.
void TfrmMain::tmrServerChangesTimer()
{
    TdmDataModule* dm = dmDataModule();
    if (!dm || !dm->onServer()) return;
    for (const QString& table : dm->ChangedTables()) {
        if (table.compare(QLatin1String("POKOJE"), Qt::CaseInsensitive) == 0) m_serverRoomsChanged = true;
        if (table.compare(QLatin1String("POBYTY"), Qt::CaseInsensitive) == 0 ||
            table.compare(QLatin1String("KARTY"), Qt::CaseInsensitive) == 0)
            m_serverStaysChanged = true;
    }
    // While a load's failure message is open no other load starts; the change waits for it.
    if (m_reportingLoad || (!m_serverRoomsChanged && !m_serverStaysChanged)) return;
    const bool rooms = std::exchange(m_serverRoomsChanged, false);
    m_serverStaysChanged = false;
    if (rooms) LoadRooms();
    RefreshBoard();
}
