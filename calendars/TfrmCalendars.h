#pragma once
// TfrmCalendars (form frmCalendars): the rooms' calendars under Settings. Each room with the
// name of its exported file and the feeds it reads (added, removed, tested at once without
// changing anything), the export folder, whether guests' names go out, and how often the
// program reads the feeds.
//
// Invariants: feeds are written to the database as they are added or removed; the settings
// only on Ok; the lists are read again each time the window is opened; every failure of the
// database is said in the window's message and the window stays usable.

#include <QDialog>
#include <QList>

#include "calendars/CalendarStore.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

class TfrmCalendars : public QDialog {
    Q_OBJECT
public:
    explicit TfrmCalendars(QWidget* parent = nullptr);

    int Execute();
    void FormActivate();
    void btAddClick();
    void btRemoveClick();
    void btTestClick();
    void btExportFolderClick();
    bool btOkClick();
    // The PID of the selected room, empty when none.
    QString selectedPid() const;

    QLabel* lbExportFolder;
    QLineEdit* edExportFolder;
    QPushButton* btExportFolder;
    QCheckBox* chkNames;
    QLabel* lbInterval;
    QSpinBox* edInterval;
    QLabel* lbRooms;
    QTableWidget* grRooms;
    QLabel* lbFeeds;
    QTableWidget* grFeeds;
    QLabel* lbPortal;
    QLineEdit* edPortal;
    QLabel* lbAddress;
    QLineEdit* edAddress;
    QPushButton* btAdd;
    QPushButton* btRemove;
    QPushButton* btTest;
    QPushButton* btOk;
    QPushButton* btCancel;

private:
    void buildControls();
    void fillRooms();
    void fillFeeds();
    int selectedFeed() const;
    void warn(const QString& message, const QString& detail = {});

    QList<calendars::Feed> m_feeds;
};
