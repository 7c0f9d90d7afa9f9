#pragma once
// TfrmMain ("frmMain"): the occupancy board. Rooms against days in the owner-drawn grid
// `grDraw`, the main menu `mnRxMain` with the housekeeping commands that act on the board
// itself, the status bar and the timer `tmrTimer` (splash, reminders, automatic reload).
// Dialogs of other subsystems are reached through the dialog seam (platform/DialogSeam.h).
//
// Invariants:
//  - column c >= 1 shows the day firstDate() + c - 1; row r >= 1 the room rooms()[r - 1];
//  - the stay list is rebuilt only by LoadStays, never while painting (except the first
//    painting, which creates it); painting only reads it;
//  - after every RefreshBoard the next automatic reload is three timer ticks away;
//  - on a server, another program's change of the stays, clients or rooms reloads the board
//    within a second (tmrServerChanges asks the data module four times a second), as the
//    timer's reload does; a change of the rooms also reloads the room rows;
//  - every menu item's object name is its component name, so translation finds
//    "frmMain.mnCheckIn.Caption".

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QMainWindow>
#include <QImage>
#include <QPointer>
#include <QVariantMap>
#include <QVector>

#include "board/BoardModel.h"

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QTimer;
class TDrawGrid;
class TLanguage;

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    TLanguage* language() const { return m_language; }
    TDrawGrid* grDraw() const { return m_grDraw; }
    QTimer* tmrTimer() const { return m_tmrTimer; }
    QTimer* tmrServerChanges() const { return m_tmrServerChanges; }
    QLabel* statusPanel() const { return m_statusPanel; }
    QAction* menuItem(const QString& name) const;
    QMenu* menuNamed(const QString& name) const;

    // Start-up: the splash window the first timer tick hides, the version text of the
    // status panel, the options (column count and first day).
    void setSplash(QWidget* splash) { m_splash = splash; }
    void setVersionText(const QString& version);
    void applyStartOptions(int columnCount);

    int firstDate() const { return m_firstDate; }
    void setFirstDate(int dayNumber) { m_firstDate = dayNumber; }
    int columnCount() const;
    void setColumnCount(int count);
    const QVector<TBoardRoom>& rooms() const { return m_rooms; }
    const board::TStayList& stays() const { return m_stays; }
    bool hasStayList() const { return m_hasStayList; }
    int refreshCountdown() const { return m_refreshCountdown; }
    int reminderCountdown() const { return m_reminderCountdown; }
    int nextReminderId() const { return m_nextReminderId; }

    void LoadRooms();
    void LoadStays();
    void RefreshBoard();
    // The stay occupying the selected cell (first in list order), or nullptr.
    const TRoomsUsage* StayAtCursor() const;
    // Runs each time the window becomes active.
    void FormActivate();
    void FindNextReminder();
    // Shows the next reminder when it is due and no other window is modal (a timer step).
    void ShowDueReminder();

    // What one cell shows, as it is painted: its colours and texts (heads and out-of-order
    // reasons on one line; a long guest name already shortened to the column).
    struct TCellLook {
        QRgb background = 0, text = 0;
        bool bold = false, twoLines = false;
        QString upper, lower;
    };
    TCellLook cellLook(int col, int row) const;

    // Grid events.
    void grDrawMouseDown(const QPoint& pos, Qt::MouseButton button);
    void grDrawDblClick(const QPoint& pos);
    void grDrawEnter();
    void grDrawDeleteRow();
    // The cell's menu: the Action menu's commands for the stay under the cursor (the same
    // actions, so enabled and translated as there), and its room detail.
    void grDrawCellMenu(int col, int row, const QPoint& globalPos);
    void fillCellMenu(QMenu& menu);
    void DeleteAccountInfo();

    // Menu commands acting on the board.
    void mnReservationClick();
    void mnRemoveSelectedResClick();
    void mnRemovePrelResClick();
    void mnCheckInClick();
    void mnAddToAccountClick();
    void mnOutOfOrderClick();
    void mnOptionsClick();
    void mnBackupDatabaseClick();
    void mnRestoreClick();
    void mnHelpHelpClick();
    void tmrTimerTimer();
    void tmrServerChangesTimer();

protected:
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildMenu();
    void mnRoomDetailClick();
    void prepareStaysIndex();
    void buildWindow();
    void paintCell(QPainter& painter, int col, int row, const QRect& rect, bool selected);
    TCellLook lookOf(int col, int row) const;
    void preparePaint();
    void paintLook(QPainter& painter, const QRect& rect, const TCellLook& look);
    QString shortened(const QString& name, int width) const;
    void dispatchCell();
    void openAndRefresh(const QString& dialog, QVariantMap args = {});
    void accountCommand(const QString& command);
    QVariantMap stayArgs(const TRoomsUsage& stay) const;
    QString selectedRoomName() const;
    QString selectedRoomPid() const;
    int selectedDay() const;
    int message(const QString& text, const QString& caption, int icon, int buttons);

    TLanguage* m_language = nullptr;
    TDrawGrid* m_grDraw = nullptr;
    QWidget* m_pnlGrid = nullptr;
    QStatusBar* m_sbStatus = nullptr;
    QLabel* m_statusPanel = nullptr;
    QTimer* m_tmrTimer = nullptr;
    QAction* m_actRoomDetail = nullptr;
    bool m_preparingIndex = false;   // the cell menu's own entry (no menu bar item)
    QTimer* m_tmrServerChanges = nullptr;
    bool m_serverRoomsChanged = false, m_serverStaysChanged = false;  // heard, not yet reloaded
    QPointer<QWidget> m_splash;

    int m_firstDate = 0;
    QVector<TBoardRoom> m_rooms;
    board::TStayList m_stays;
    bool m_hasStayList = false;
    int m_refreshCountdown = 3;
    bool m_splashFlag = true;
    int m_reminderCountdown = 0;
    int m_nextReminderId = 0;
    double m_nextReminderMoment = 0;
    bool m_reminderShowing = false;
    // The due reminder the board last came forward for (identifier and due moment).
    int m_broughtForwardId = 0;
    double m_broughtForwardMoment = 0;
    bool m_inActivation = false;
    bool m_shownOnce = false;
    bool m_reloadAfterDialogQueued = false;
    bool m_reportingLoad = false;  // a load's failure message is open
    qint64 m_ignoreActivationUntil = 0;

    // A drawn cell's look at its size and pixel ratio: what makes two cells look the same.
    struct TCellKey {
        QRgb background = 0, text = 0;
        bool bold = false, twoLines = false;
        int width = 0, height = 0;
        qreal ratio = 1;
        QString upper, lower;
        bool operator==(const TCellKey&) const = default;
        friend size_t qHash(const TCellKey& k, size_t seed = 0)
        {
            return qHashMulti(seed, k.background, k.text, k.bold, k.twoLines, k.width, k.height, k.ratio, k.upper, k.lower);
        }
    };
    // Cells drawn so far, by look; cleared when the font changes or it grows too large.
    static constexpr int kMaxCachedCells = 3000;
    QHash<TCellKey, QImage> m_cellImages;
    QFont m_cachedFont;
    QFontMetrics m_cachedMetrics{m_cachedFont};  // of m_cachedFont
    // Read once per painting.
    board::TBoardColors m_colors;
    int m_today = 0;
    QString m_invalidStatusText;
};

// The program's main window (set by its constructor, cleared by its destructor).
TfrmMain* frmMain();
