#pragma once
// TfrmBrowseClientCard (form frmBrowseClientCard): the client register opened from the main
// menu. It opens cards for display and editing, adds and deletes cards.
//
// Invariants: a card is deleted only after the user answered Yes to the warning naming it;
// after a delete the list shows the same row number, or the new last row when the deleted
// one was last; deleting a card never touches the stays or accounts that refer to it.

#include "clients/ClientCardList.h"

class TfrmBrowseClientCard : public TClientCardList {
    Q_OBJECT
public:
    explicit TfrmBrowseClientCard(TfrmClientDetail* detail, QWidget* parent = nullptr);

    int Execute();

    void btSelectClick() override;   // "&Display": the card of the current row
    void btDeleteClick();

    QPushButton* btDelete;

protected:
    QString internalErrorText() const override;
    bool listAllOnClear() const override { return true; }
    void enableRowButtons(bool enabled) override;
};
