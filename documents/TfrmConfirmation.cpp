// TfrmConfirmation: the confirmation dialog's controls, the template list, the e-mail and
// the two printing buttons.
//
// Invariants: see TfrmConfirmation.h.

#include "documents/TfrmConfirmation.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <memory>

#include "documents/TrepConfirmation.h"
#include "engine/Engine.h"
#include "lang/Language.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "widgets/Named.h"

using namespace documents;

namespace {

using widgets::named;

const QString kError = QStringLiteral("Error");

}  // namespace

TfrmConfirmation::TfrmConfirmation(TrepConfirmation* report, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint),
      m_report(report)
{
    setObjectName(QStringLiteral("frmConfirmation"));
    setWindowTitle(QStringLiteral("Definitive Confirmation"));

    edSpecialOffer = named(new QLineEdit(this), "edSpecialOffer");
    lbSpecialOffer = named(new QLabel(QStringLiteral("Special offer:"), this), "lbSpecialOffer");
    edBreakfast = named(new QLineEdit(this), "edBreakfast");
    lbBreakfast = named(new QLabel(QStringLiteral("Breakfast:"), this), "lbBreakfast");
    edUserName = named(new QLineEdit(this), "edUserName");
    lbUserName = named(new QLabel(QStringLiteral("User name:"), this), "lbUserName");
    cmbEmailTemplate = named(new QComboBox(this), "cmbEmailTemplate");
    lbEmailTemplate = named(new QLabel(QStringLiteral("Template for email:"), this), "lbEmailTemplate");
    btEmail = named(new QPushButton(QStringLiteral("Email"), this), "btEmail");
    btPreview = named(new QPushButton(QStringLiteral("Preview"), this), "btPreview");
    btPrint = named(new QPushButton(QStringLiteral("Print"), this), "btPrint");
    btCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "btCancel");
    lbSpecialOffer->setBuddy(edSpecialOffer);
    lbBreakfast->setBuddy(edBreakfast);
    lbUserName->setBuddy(edUserName);
    lbEmailTemplate->setBuddy(cmbEmailTemplate);
    btEmail->setEnabled(false);
    for (QPushButton* b : {btEmail, btPreview, btPrint, btCancel}) b->setAutoDefault(false);

    auto* fields = new QGridLayout;
    fields->addWidget(lbSpecialOffer, 0, 0);
    fields->addWidget(edSpecialOffer, 0, 1);
    fields->addWidget(lbBreakfast, 1, 0);
    fields->addWidget(edBreakfast, 1, 1);
    fields->addWidget(lbUserName, 2, 0);
    fields->addWidget(edUserName, 2, 1);
    fields->addWidget(lbEmailTemplate, 3, 0);
    fields->addWidget(cmbEmailTemplate, 3, 1);
    fields->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btEmail);
    buttons->addStretch(1);
    buttons->addWidget(btPreview);
    buttons->addWidget(btPrint);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    edSpecialOffer->setMinimumWidth(320);

    connect(cmbEmailTemplate, &QComboBox::activated, this, &TfrmConfirmation::cmbEmailTemplateChange);
    connect(btEmail, &QPushButton::clicked, this, &TfrmConfirmation::btEmailClick);
    connect(btPreview, &QPushButton::clicked, this, &TfrmConfirmation::btPreviewClick);
    connect(btPrint, &QPushButton::clicked, this, &TfrmConfirmation::btPrintClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

int TfrmConfirmation::Execute()
{
    FormActivate();
    return platform::runModal(this);
}

void TfrmConfirmation::FormActivate()
{
    if (cmbEmailTemplate->count() == 0) {
        for (const TemplateFile& t : TemplateFiles(platform::paths::templateFolders())) cmbEmailTemplate->addItem(t.name, t.path);
        cmbEmailTemplate->setCurrentIndex(-1);
    }
}

ConfirmationTexts TfrmConfirmation::texts() const
{
    return {edSpecialOffer->text(), edBreakfast->text(), edUserName->text()};
}

void TfrmConfirmation::cmbEmailTemplateChange()
{
    btEmail->setEnabled(cmbEmailTemplate->currentIndex() >= 0);
    // A listed template that cannot be read is said at once, not only when Email is pressed.
    EmailTemplate mail;
    if (cmbEmailTemplate->currentIndex() >= 0 && !ReadTemplate(cmbEmailTemplate->currentData().toString(), mail))
        cannotSend();
}

void TfrmConfirmation::cannotSend()
{
    LangMessageBox(this, QStringLiteral("Cannot send email. Template could not be read."), kError,
                   platform::Icon::Warning, platform::Buttons::Ok);
}

bool TfrmConfirmation::composeEmail(EmailTemplate& mail)
{
    if (cmbEmailTemplate->currentIndex() < 0 || !ReadTemplate(cmbEmailTemplate->currentData().toString(), mail)) {
        cannotSend();
        return false;
    }
    StayRow stay;
    try {
        TdmDataModule* dm = dmDataModule();
        std::unique_ptr<engine::Query> qryInfo = dm->Open(ConfirmationEmailSql(dm->DbPrefix(), BID));
        // A stay without its room or client card: nothing to send, and nothing to say.
        if (!qryInfo->next()) return false;
        stay = ReadStayRow(*qryInfo);
    } catch (const std::exception&) {
        cannotSend();
        return false;
    }
    const ConfirmationTexts typed = texts();
    const Substituted body = SubstitutePlaceholders(
        mail.body, [&](const QString& name) { return ConfirmationPlaceholder(name, typed, stay); });
    // The warning composed of two translated words around a name that is not translated.
    for (const QString& name : body.unknownNames)
        platform::messageBox(this,
                             TranslateMessage(QStringLiteral("Field")) + QLatin1Char(' ') + name + QLatin1Char(' ') +
                                 TranslateMessage(QStringLiteral("does not exist.")),
                             TranslateMessage(kError), platform::Icon::Warning, platform::Buttons::Ok);
    if (body.failed) {
        cannotSend();
        return false;
    }
    mail.body = body.text;
    return true;
}

void TfrmConfirmation::btEmailClick()
{
    EmailTemplate mail;
    if (!composeEmail(mail)) return;
    platform::setClipboardText(mail.body);
    if (!platform::shellOpen(QUrl(MailtoLink(mail.subject, mail.body), QUrl::TolerantMode)))
        LangMessageBox(this, QStringLiteral("Can't open the mail window"), kError, platform::Icon::Warning,
                       platform::Buttons::Ok);
}

void TfrmConfirmation::btPreviewClick()
{
    const ConfirmationTexts typed = texts();
    const bool shown = m_report->PreviewReport(BID, typed.specialOffer, typed.userName, typed.breakfast);
    m_report->CloseQuery();
    // A form that could not be read (the user was told) keeps the dialog open to try again.
    if (shown) accept();
}

void TfrmConfirmation::btPrintClick()
{
    const ConfirmationTexts typed = texts();
    const bool printed = m_report->PrintReport(BID, typed.specialOffer, typed.userName, typed.breakfast);
    m_report->CloseQuery();
    if (printed) accept();
}
