#pragma once
// TfrmModifActPolDef, "Account Item Types Definition": the account item types of UCPODEF.DB
// edited in place. A free row always waits below the types for a new one; the note that -1
// in a tax column means "not available" is shown each time the window opens.
//
// Invariants: closing writes the pending row first and keeps the window open when the table
// refuses it (a Sequence typed twice); deleting asks first and checks nothing else.

#include <QDialog>
#include <memory>

#include "engine/Engine.h"

class QAction;
class QMenu;
namespace widgets { class TableGrid; }

class TfrmModifActPolDef : public QDialog {
    Q_OBJECT
public:
    explicit TfrmModifActPolDef(QWidget* parent = nullptr);
    ~TfrmModifActPolDef() override;

    widgets::TableGrid* dbgUCPODEF = nullptr;
    QMenu* mnPopupMenu = nullptr;
    QAction* mnDelete = nullptr;

    engine::TableCursor* tblUCPODEF() const { return m_tblUCPODEF.get(); }

    void FormActivate();
    bool FormCloseQuery();
    void mnDeleteClick();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void closeTable();

    std::unique_ptr<engine::TableCursor> m_tblUCPODEF;
};
