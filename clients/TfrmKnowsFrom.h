#pragma once
// TfrmKnowsFrom (form frmKnowsFrom): the editor of the referral sources (ODKUDVI.DB), a grid
// of codes and descriptions edited directly on the table, with an always-free last row for
// a new source and "Delete record" in its context menu.
//
// Invariants: the table is open exactly while the window is shown; closing the window
// stores the pending change of the current row and never stores an untouched appended row;
// a change the table refuses keeps the window open on that row with the engine's message.

#include <QDialog>
#include <memory>

class QAction;
class QMenu;
namespace engine { class TableCursor; }
namespace widgets { class TableGrid; }

class TfrmKnowsFrom : public QDialog {
    Q_OBJECT
public:
    explicit TfrmKnowsFrom(QWidget* parent = nullptr);
    ~TfrmKnowsFrom() override;

    int Execute();

    // The work on being shown: the table (re)opened and the column titles translated.
    // False when the table cannot be opened (the user was told why).
    bool FormActivate();
    // The decision on a request to close: the pending row stored; false when it was refused.
    bool FormCloseQuery();
    void mnDeleteClick();

    void done(int result) override;

    widgets::TableGrid* dbgKnowsFrom;
    QMenu* pmLocal;
    QAction* mnDelete;

private:
    void FormClose();

    std::unique_ptr<engine::TableCursor> m_table;
};
