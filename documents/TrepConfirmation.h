#pragma once
// TrepConfirmation (repConfirmation): the printed confirmation of a definitive reservation,
// one A4 page with the hotel's heading, fourteen framed rows of the stay's data, the thanks,
// the signature and the cancellation conditions. Its texts are fixed (Czech / English
// captions, English text) and do not follow the user-interface language.
//
// Invariants: building reads the stay in qryInfo, which stays open until CloseQuery(); a
// stay that is not exactly one row gets the untranslated "Internal error 53 ..." and the
// form still prints (without values when there is no row); a stay of 0 nights prints with
// a blank daily rate; an empty special offer hides its row and keeps its space; a query
// the database refuses (a locked table) is said as "Can't load the data" and nothing is
// previewed or printed.

#include <QObject>
#include <memory>
#include <optional>

#include "documents/ConfirmationLogic.h"
#include "report/Report.h"

class QWidget;
namespace engine {
class Query;
}

class TrepConfirmation : public QObject {
    Q_OBJECT
public:
    explicit TrepConfirmation(QObject* parent = nullptr);
    ~TrepConfirmation() override;

    // Builds the form and shows it in the modal preview; false when it could not be built.
    bool PreviewReport(int bid, const QString& specialOffer, const QString& userName, const QString& breakfast);
    // Builds the form and prints it (a PDF when no printer is installed); false when it could
    // not be built or printed.
    bool PrintReport(int bid, const QString& specialOffer, const QString& userName, const QString& breakfast);
    void CloseQuery();

    // Runs the query and lays the form out; nothing when the query failed (the user was told).
    std::optional<report::Report> Build(int bid, const documents::ConfirmationTexts& texts);

    // The window message boxes and the preview belong to.
    QWidget* owner = nullptr;

private:
    std::unique_ptr<engine::Query> qryInfo;
};

namespace documents {
// The confirmation form with these values, one page.
report::Report ConfirmationReport(const ConfirmationForm& form);
}  // namespace documents
