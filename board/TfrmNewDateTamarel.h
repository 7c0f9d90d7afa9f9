#pragma once
// TfrmNewDateTamarel ("New date"): the small dialog the board's navigation cell opens to
// jump to another first day. It has no title-bar buttons and is closed with "Ok"; any other
// way of closing it counts as not OK.
//
// Invariant: the date box always holds a valid day (four-digit year, weekends marked in the
// calendar); date() is its day number.

#include <QDialog>

namespace widgets { class TDateEdit; }
class QPushButton;

class TfrmNewDateTamarel : public QDialog {
    Q_OBJECT
public:
    explicit TfrmNewDateTamarel(QWidget* parent = nullptr);
    ~TfrmNewDateTamarel() override;

    void setDate(int dayNumber);
    int date() const;

    widgets::TDateEdit* edDateFrom() const { return m_edDateFrom; }

    // Where the dialog's frame of `frame` size goes: its top left corner 40 pixels left of
    // and 45 pixels above the pointer, moved only as far as needed to lie wholly on `screen`.
    static QPoint placeBesidePointer(const QPoint& pointer, const QSize& frame, const QRect& screen);
    QPushButton* btOk() const { return m_btOk; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    widgets::TDateEdit* m_edDateFrom;
    QPushButton* m_btOk;
};

// The program's one instance (set by its constructor, cleared by its destructor).
TfrmNewDateTamarel* frmNewDateTamarel();
