#pragma once
// TfrmFindClientCard (form frmFindClientCard): the client picker. The reservation dialog,
// the account closing dialog and the account items dialog open it to let the user choose one
// client card; the chosen id comes back in KID.
//
// Invariants: KID is empty unless the dialog closed through Select (button, Enter or a
// double click on a row); it is cleared every time a caller opens the dialog.

#include "clients/ClientCardList.h"

class TfrmFindClientCard : public TClientCardList {
    Q_OBJECT
public:
    explicit TfrmFindClientCard(TfrmClientDetail* detail, QWidget* parent = nullptr);

    // The chosen client id as decimal text; empty when nothing was chosen.
    QString KID;

    // Opens the picker modally; Accepted with KID set when a client was chosen.
    int Execute();

    void FormActivate() override;
    void btSelectClick() override;

protected:
    QString internalErrorText() const override;
    bool listAllOnClear() const override { return false; }
};
