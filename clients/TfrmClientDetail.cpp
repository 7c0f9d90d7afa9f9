// TfrmClientDetail: the client card dialog's controls, activation, history page, duplicate
// checks and saving.
//
// Invariants: see TfrmClientDetail.h. Messages composed of several translated pieces are
// shown through the message seam with each piece translated on its own, so the translation
// engine never collects a composed text as if it were a new message.

#include "clients/TfrmClientDetail.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "clients/ClientStatements.h"
#include "widgets/QueryTableModel.h"
#include "lang/Language.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"
#include "widgets/DateEdit.h"
#include "widgets/Named.h"

using clients::ClientCardValues;
using clients::DuplicateKind;
using widgets::TDateEdit;

namespace {

using widgets::named;
using widgets::label;

const char* const kCardTypes[] = {"AMEX", "Diner's Club", "EC/MC", "JCB", "VISA"};
const char* const kRatings[] = {"Not specified", "Excellent", "Very Good", "Good", "Bad", "Terrible"};

QLineEdit* edit(QWidget* parent, const char* name) { return named(new QLineEdit(parent), name); }

// A message whose pieces are already translated: only the caption is looked up here.
int showTranslated(QWidget* owner, const QString& text, const char* caption, platform::Icon icon,
                   platform::Buttons buttons)
{
    return platform::messageBox(owner, text, TranslateMessage(QLatin1String(caption)), icon, buttons);
}

}  // namespace

TfrmClientDetail::TfrmClientDetail(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmClientDetail"));
    setWindowTitle(QStringLiteral("Client Detail"));
    buildControls();
    layoutControls();
}

TfrmClientDetail::~TfrmClientDetail() = default;

void TfrmClientDetail::buildControls()
{
    pgPages = named(new QTabWidget(this), "pgPages");
    pgPages->setTabPosition(QTabWidget::South);
    pgDefault = named(new QWidget, "pgDefault");
    pgExtra = named(new QWidget, "pgExtra");
    pgHistory = named(new QWidget, "pgHistory");
    pgPages->addTab(pgDefault, QStringLiteral("Basic"));
    pgPages->addTab(pgExtra, QStringLiteral("Extra"));
    pgPages->addTab(pgHistory, QStringLiteral("History"));

    grpBasic = named(new QGroupBox(QStringLiteral(" Basic Client Data "), pgDefault), "grpBasic");
    edSurname = edit(grpBasic, "edSurname");
    lnSurname = label(grpBasic, "lnSurname", "Surname:", edSurname);
    edName = edit(grpBasic, "edName");
    lbName = label(grpBasic, "lbName", "Name:", edName);
    edTitle = edit(grpBasic, "edTitle");
    lbTitle = label(grpBasic, "lbTitle", "Title:", edTitle);
    edAddress = edit(grpBasic, "edAddress");
    lbAddress = label(grpBasic, "lbAddress", "Address:", edAddress);
    edCity = edit(grpBasic, "edCity");
    lbCity = label(grpBasic, "lbCity", "City:", edCity);
    edPostal = edit(grpBasic, "edPostal");
    lbPostal = label(grpBasic, "lbPostal", "Postal:", edPostal);
    edCountry = edit(grpBasic, "edCountry");
    lbCountry = label(grpBasic, "lbCountry", "Country:", edCountry);
    edTel = edit(grpBasic, "edTel");
    edFax = edit(grpBasic, "edFax");
    lbTel = label(grpBasic, "lbTel", "Tel && Fax:", edTel);
    edBirthDate = named(new TDateEdit(grpBasic), "edBirthDate");
    edBirthDate->setDialogTitle(QStringLiteral("Select a Birth Date"));
    lbBirth = label(grpBasic, "lbBirth", "Birth Date:", edBirthDate);
    edBirthPlace = edit(grpBasic, "edBirthPlace");
    lbBirthPlace = label(grpBasic, "lbBirthPlace", "Place:", edBirthPlace);

    grpPassportAndCard = named(new QGroupBox(QStringLiteral("Passport and Card "), pgDefault), "grpPassportAndCard");
    edPassport = edit(grpPassportAndCard, "edPassport");
    lbPassport = label(grpPassportAndCard, "lbPassport", "Passport:", edPassport);
    edPassDate = named(new TDateEdit(grpPassportAndCard), "edPassDate");
    edPassDate->setDialogTitle(QStringLiteral("Select a Passport Date"));
    edPassPlace = edit(grpPassportAndCard, "edPassPlace");
    lbPassportDatePlace = label(grpPassportAndCard, "lbPassportDatePlace", "Date && place:", edPassDate);
    edCardNum = edit(grpPassportAndCard, "edCardNum");
    lbCardNum = label(grpPassportAndCard, "lbCardNum", "Card Num:", edCardNum);
    cmbCardType = named(new QComboBox(grpPassportAndCard), "cmbCardType");
    cmbCardType->setEditable(true);
    cmbCardType->setInsertPolicy(QComboBox::NoInsert);
    for (const char* type : kCardTypes) cmbCardType->addItem(QLatin1String(type));
    edCardExp = edit(grpPassportAndCard, "edCardExp");
    lbCardTypExp = label(grpPassportAndCard, "lbCardTypExp", "Type && Exp:", cmbCardType);

    gbExtra = named(new QGroupBox(QStringLiteral(" Extra info "), pgExtra), "gbExtra");
    cmbAgency = named(new QComboBox(gbExtra), "cmbAgency");
    cmbAgency->setEditable(true);
    cmbAgency->setInsertPolicy(QComboBox::NoInsert);
    lbAgency = label(gbExtra, "lbAgency", "Agency:", cmbAgency);
    cmbRating = named(new QComboBox(gbExtra), "cmbRating");
    for (const char* rating : kRatings) cmbRating->addItem(QLatin1String(rating));
    lbRating = label(gbExtra, "lbRating", "Rating:", cmbRating);
    cmbKnowsFrom = named(new QComboBox(gbExtra), "cmbKnowsFrom");
    lbKnowsFrom = label(gbExtra, "lbKnowsFrom", "Knows from:", cmbKnowsFrom);
    memComment = named(new QPlainTextEdit(gbExtra), "memComment");
    memComment->setTabChangesFocus(true);
    lbComment = label(gbExtra, "lbComment", "Comment:", memComment);

    m_history = new widgets::QueryTableModel(
        {{QStringLiteral("UFROM"), QStringLiteral("From")},
         {QStringLiteral("UTHRU"), QStringLiteral("Thru")},
         {QStringLiteral("TOTALEUR"), QStringLiteral("Eur")},
         {QStringLiteral("TOTALCZK"), QStringLiteral("Czk")},
         {QStringLiteral("RECEPCE"), QStringLiteral("Reception")}},
        this);
    dbgHistory = named(new QTableView(pgHistory), "dbgHistory");
    dbgHistory->setModel(m_history);
    dbgHistory->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgHistory->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgHistory->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgHistory->verticalHeader()->setDefaultSectionSize(dbgHistory->fontMetrics().height() + 6);
    dbgHistory->verticalHeader()->setFixedWidth(14);
    // A label the translation tables know; the history page shows accounts only.
    lbFuture = named(new QLabel(QStringLiteral("Future reservations"), pgHistory), "lbFuture");
    lbFuture->hide();

    bkOk = named(new QPushButton(QStringLiteral("Save"), this), "bkOk");
    QFont bold = bkOk->font();
    bold.setBold(true);
    bkOk->setFont(bold);
    bkOk->setDefault(true);
    btCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "btCancel");
    btCancel->setAutoDefault(false);

    connect(bkOk, &QPushButton::clicked, this, [this] {
        m_saveRequested = true;
        done(QDialog::Accepted);
    });
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(pgPages, &QTabWidget::currentChanged, this, &TfrmClientDetail::pgPagesChange);
    connect(memComment, &QPlainTextEdit::textChanged, this, &TfrmClientDetail::memCommentChange);
    edPassport->installEventFilter(this);
    edCardNum->installEventFilter(this);
}

void TfrmClientDetail::layoutControls()
{
    auto* basic = m_basicGrid = new QGridLayout(grpBasic);
    basic->addWidget(lnSurname, 0, 0);
    basic->addWidget(edSurname, 0, 1, 1, 3);
    basic->addWidget(lbName, 1, 0);
    basic->addWidget(edName, 1, 1, 1, 3);
    basic->addWidget(lbTitle, 2, 0);
    basic->addWidget(edTitle, 2, 1);
    basic->addWidget(lbAddress, 3, 0);
    basic->addWidget(edAddress, 3, 1, 1, 3);
    basic->addWidget(lbCity, 4, 0);
    basic->addWidget(edCity, 4, 1, 1, 3);
    basic->addWidget(lbPostal, 5, 0);
    basic->addWidget(edPostal, 5, 1);
    basic->addWidget(lbCountry, 6, 0);
    basic->addWidget(edCountry, 6, 1, 1, 3);
    basic->addWidget(lbTel, 7, 0);
    basic->addWidget(edTel, 7, 1);
    basic->addWidget(edFax, 7, 2, 1, 2);
    basic->addWidget(lbBirth, 8, 0);
    basic->addWidget(edBirthDate, 8, 1);
    basic->addWidget(lbBirthPlace, 8, 2);
    basic->addWidget(edBirthPlace, 8, 3);
    basic->setColumnStretch(1, 1);
    basic->setColumnStretch(3, 1);

    auto* card = m_cardGrid = new QGridLayout(grpPassportAndCard);
    card->addWidget(lbPassport, 0, 0);
    card->addWidget(edPassport, 0, 1);
    card->addWidget(lbPassportDatePlace, 1, 0);
    card->addWidget(edPassDate, 1, 1);
    card->addWidget(edPassPlace, 1, 2);
    card->addWidget(lbCardNum, 2, 0);
    card->addWidget(edCardNum, 2, 1);
    card->addWidget(lbCardTypExp, 3, 0);
    card->addWidget(cmbCardType, 3, 1);
    card->addWidget(edCardExp, 3, 2);
    card->setColumnStretch(1, 1);
    card->setColumnStretch(2, 1);

    auto* basicPage = new QVBoxLayout(pgDefault);
    basicPage->addWidget(grpBasic);
    basicPage->addWidget(grpPassportAndCard);
    basicPage->addStretch(1);

    auto* extra = new QGridLayout(gbExtra);
    extra->addWidget(lbAgency, 0, 0);
    extra->addWidget(cmbAgency, 0, 1);
    extra->addWidget(lbRating, 1, 0);
    extra->addWidget(cmbRating, 1, 1);
    extra->addWidget(lbKnowsFrom, 2, 0);
    extra->addWidget(cmbKnowsFrom, 2, 1);
    extra->addWidget(lbComment, 3, 0, Qt::AlignTop);
    extra->addWidget(memComment, 3, 1);
    extra->setColumnStretch(1, 1);
    extra->setRowStretch(3, 1);
    auto* extraPage = new QVBoxLayout(pgExtra);
    extraPage->addWidget(gbExtra);

    auto* historyPage = new QVBoxLayout(pgHistory);
    historyPage->addWidget(lbFuture);
    historyPage->addWidget(dbgHistory);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bkOk);
    buttons->addWidget(btCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pgPages);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    edTitle->setMinimumWidth(90);
    edPostal->setMinimumWidth(90);
    edBirthDate->setMinimumWidth(110);
    edPassDate->setMinimumWidth(110);
    edSurname->setMinimumWidth(330);
    edCardNum->setMinimumWidth(170);

    // The order a receptionist fills a card in: down the Basic page, then the buttons.
    QWidget* order[] = {edSurname, edName, edTitle, edAddress, edCity, edPostal, edCountry, edTel, edFax,
                        edBirthDate, edBirthPlace, edPassport, edPassDate, edPassPlace, edCardNum,
                        cmbCardType, edCardExp, cmbAgency, cmbRating, cmbKnowsFrom, memComment,
                        dbgHistory, bkOk, btCancel};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

int TfrmClientDetail::Execute(int kid)
{
    KID = kid;
    FormActivate();
    return platform::runModal(this);
}

void TfrmClientDetail::FormActivate()
{
    m_activating = true;
    pgPages->setCurrentWidget(pgDefault);
    m_saveRequested = false;
    m_loadFailed = false;
    m_history->close();

    TdmDataModule* dm = dmDataModule();
    QStringList sources, agencies;
    if (dm) {
        dm->FillKnowsFromCombo(sources);
        dm->FillAgencyCombo(agencies);
    }
    cmbKnowsFrom->clear();
    cmbKnowsFrom->addItems(sources);
    cmbAgency->clear();
    cmbAgency->addItems(agencies);
    applyColumnWidths();

    clearControls();
    if (KID <= 0) {
        setWindowTitle(TranslateMessage(QStringLiteral("New Client")));
    } else {
        loadCard();
        setWindowTitle(TranslateMessage(QStringLiteral("Client Detail")));
    }
    m_history->resetTitles();
    TranslateGridTitles(dbgHistory);
    for (int i = 0; i < m_history->columnCount(); ++i)
        dbgHistory->setColumnWidth(i, std::max(80, dbgHistory->horizontalHeader()->sectionSizeHint(i)));
    edSurname->setFocus();
    m_activating = false;
}

void TfrmClientDetail::showEvent(QShowEvent* event)
{
    // Both groups' edits start at the same x, whatever the captions' language.
    int width = 0;
    for (QLabel* l : {lnSurname, lbName, lbTitle, lbAddress, lbCity, lbPostal, lbCountry, lbTel, lbBirth, lbPassport,
                      lbPassportDatePlace, lbCardNum, lbCardTypExp})
        width = std::max(width, l->sizeHint().width());
    m_basicGrid->setColumnMinimumWidth(0, width);
    m_cardGrid->setColumnMinimumWidth(0, width);
    QDialog::showEvent(event);
}

void TfrmClientDetail::clearControls()
{
    for (QLineEdit* e : {edSurname, edName, edTitle, edAddress, edCity, edPostal, edCountry, edTel, edFax,
                         edBirthPlace, edPassport, edPassPlace, edCardNum, edCardExp})
        e->clear();
    edBirthDate->clear();
    edPassDate->clear();
    cmbCardType->setCurrentIndex(-1);
    cmbCardType->clearEditText();
    cmbAgency->setCurrentIndex(-1);
    cmbAgency->clearEditText();
    memComment->clear();
    cmbRating->setCurrentIndex(0);
    cmbKnowsFrom->setCurrentIndex(cmbKnowsFrom->count() > 0 ? 0 : -1);
}

void TfrmClientDetail::loadCard()
{
    TdmDataModule* dm = dmDataModule();
    if (!dm) return;
    const TTableClients c = dm->FindClient(QStringLiteral("KID"), QString::number(KID));
    // A card that is gone or cannot be read now (a locked table) leaves the fields empty: it
    // is said, and Ok saves nothing, so the empty fields never overwrite a card.
    m_loadFailed = !c.found;
    if (!c.found) {
        LangMessageBox(this, QStringLiteral("Can't load the data"), QStringLiteral("Client detail"),
                       platform::Icon::Warning, platform::Buttons::Ok);
        return;
    }
    edSurname->setText(c.SURNAME);
    edName->setText(c.NAME);
    edTitle->setText(c.TITLE);
    edAddress->setText(c.ADDRESS);
    edCity->setText(c.CITY);
    edPostal->setText(c.POSTAL);
    edCountry->setText(c.COUNTRY);
    edTel->setText(c.TEL);
    edFax->setText(c.FAX);
    edBirthPlace->setText(c.PLACEBIRTH);
    edBirthDate->setText(c.DATEBIRTH);
    edPassport->setText(c.PASSPORT);
    edPassDate->setText(c.PASSDATE);
    edPassPlace->setText(c.PASSPLACE);
    edCardNum->setText(c.CARDNUM);
    edCardExp->setText(c.CARDEXP);
    cmbCardType->setEditText(c.CARDTYPE);
    cmbAgency->setEditText(c.AGENCY);
    memComment->setPlainText(c.COMMENT);
    const QChar rating = c.RATING.isEmpty() ? QChar() : c.RATING.at(0);
    if (rating >= QLatin1Char('0') && rating <= QLatin1Char('5')) cmbRating->setCurrentIndex(rating.unicode() - '0');
    // The last item with the card's code; none keeps the first source selected.
    for (int i = 0; i < cmbKnowsFrom->count(); ++i)
        if (cmbKnowsFrom->itemText(i).startsWith(c.KNOWSFROM)) cmbKnowsFrom->setCurrentIndex(i);
}

// The edits take no more characters than their columns hold, so a long value is cut while
// typing instead of failing the whole save.
void TfrmClientDetail::applyColumnWidths()
{
    TdmDataModule* dm = dmDataModule();
    if (!dm) return;
    const std::pair<QLineEdit*, const char*> edits[] = {
        {edSurname, "SURNAME"}, {edName, "NAME"},         {edTitle, "TITLE"},
        {edAddress, "ADDRESS"}, {edCity, "CITY"},         {edPostal, "POSTAL"},
        {edCountry, "COUNTRY"}, {edTel, "TEL"},           {edFax, "FAX"},
        {edBirthPlace, "PLACEBIRTH"}, {edPassport, "PASSPORT"}, {edPassPlace, "PASSPLACE"},
        {edCardNum, "CARDNUM"}, {edCardExp, "CARDEXP"},
    };
    try {
        auto table = dm->db().openTable((dm->DbPrefix() + QStringLiteral("KARTY.DB")).toStdString());
        const auto& fields = table->fields();
        auto widthOf = [&](const char* name) {
            const int i = table->fieldIndex(name);
            return i < 0 ? 0 : fields[size_t(i)].width;
        };
        for (const auto& [e, field] : edits) {
            const int w = widthOf(field);
            e->setMaxLength(w > 0 ? w : 32767);
        }
        if (const int w = widthOf("CARDTYPE"); w > 0) cmbCardType->lineEdit()->setMaxLength(w);
        if (const int w = widthOf("AGENCY"); w > 0) cmbAgency->lineEdit()->setMaxLength(w);
        const int w = widthOf("COMMENT");
        m_commentLength = w > 0 ? std::min(w, kCommentLength) : kCommentLength;
    } catch (const std::exception&) {
        // Without the table the save fails anyway and says so.
    }
}

void TfrmClientDetail::memCommentChange()
{
    const QString text = memComment->toPlainText();
    if (text.size() <= m_commentLength) return;
    QSignalBlocker block(memComment);
    memComment->setPlainText(text.left(m_commentLength));
    QTextCursor cursor = memComment->textCursor();
    cursor.movePosition(QTextCursor::End);
    memComment->setTextCursor(cursor);
}

void TfrmClientDetail::pgPagesChange(int index)
{
    if (m_activating || pgPages->widget(index) != pgHistory || !dmDataModule()) return;
    m_history->setStatement(clients::clientHistorySql(dmDataModule()->DbPrefix(), KID));
    if (!m_history->open())
        LangMessageBox(this, QStringLiteral("Can't load history data"), QStringLiteral("Client detail"),
                       platform::Icon::Warning, platform::Buttons::Ok);
}

QString TfrmClientDetail::duplicateFinding(DuplicateKind kind, const QString& value) const
{
    TdmDataModule* dm = dmDataModule();
    if (value.isEmpty() || !dm) return {};
    try {
        auto q = dm->Open(clients::duplicateCheckSql(dm->DbPrefix(), kind, KID, value));
        if (!q->next()) return {};
        return TranslateMessage(clients::duplicateFindingKey(kind)) + QStringLiteral("\r\n\r\n")
            + QString::fromStdString(q->text("NAME")) + QLatin1Char(' ') + QString::fromStdString(q->text("SURNAME"));
    } catch (const std::exception&) {
        return {};   // a check that cannot run finds nothing
    }
}

void TfrmClientDetail::edDuplicateExit(DuplicateKind kind, QLineEdit* edit)
{
    const QString finding = duplicateFinding(kind, edit->text());
    if (!finding.isEmpty())
        showTranslated(this, finding, "Client data", platform::Icon::Warning, platform::Buttons::Ok);
}

bool TfrmClientDetail::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && (watched == edPassport || watched == edCardNum)) {
        // Leaving the edit within the dialog, not the dialog losing the focus to a message.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const bool leftWithin = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
            || reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason;
        if (leftWithin && isVisible()) {
            if (watched == edPassport) edDuplicateExit(DuplicateKind::Passport, edPassport);
            else edDuplicateExit(DuplicateKind::CardNumber, edCardNum);
        }
    }
    return QDialog::eventFilter(watched, event);
}

ClientCardValues TfrmClientDetail::values() const
{
    ClientCardValues v;
    v.surname = edSurname->text();
    v.name = edName->text();
    v.title = edTitle->text();
    v.address = edAddress->text();
    v.city = edCity->text();
    v.postal = edPostal->text();
    v.country = edCountry->text();
    v.tel = edTel->text();
    v.fax = edFax->text();
    v.birthPlace = edBirthPlace->text();
    v.birthDate = edBirthDate->text();
    v.passport = edPassport->text();
    v.passDate = edPassDate->text();
    v.passPlace = edPassPlace->text();
    v.cardNum = edCardNum->text();
    v.cardExp = edCardExp->text();
    v.cardType = cmbCardType->currentText();
    v.rating = QString::number(std::max(0, cmbRating->currentIndex()));
    v.agency = cmbAgency->currentText();
    v.knowsFrom = cmbKnowsFrom->currentIndex() < 0 ? QString() : cmbKnowsFrom->currentText().left(1);
    v.comment = memComment->toPlainText().left(m_commentLength);
    return v;
}

void TfrmClientDetail::done(int result)
{
    if (!FormCloseQuery(result)) return;
    QDialog::done(m_closeResult);
}

bool TfrmClientDetail::FormCloseQuery(int result)
{
    m_closeResult = result;
    if (!m_saveRequested) {
        m_closeResult = QDialog::Rejected;
        return true;
    }
    m_saveRequested = false;
    if (!saveCard()) return false;
    m_closeResult = QDialog::Accepted;
    return true;
}

bool TfrmClientDetail::saveCard()
{
    if (m_loadFailed) {
        LangMessageBox(this, QStringLiteral("Insert/Update failed."), QStringLiteral("Client data"),
                       platform::Icon::Warning, platform::Buttons::Ok);
        return false;
    }
    const ClientCardValues v = values();
    QStringList missing;
    for (const QString& key : clients::missingRequiredFields(v)) missing << TranslateMessage(key);

    if (!edBirthDate->checkValidDate() || !edPassDate->checkValidDate()) return false;

    if (!missing.isEmpty()) {
        const QString text = clients::requiredFieldsText(TranslateMessage(QStringLiteral("The following fields should be filled:")), missing)
            + QStringLiteral("\r\n\r\n") + TranslateMessage(QStringLiteral("Do you still want to Save and Exit?"));
        if (showTranslated(this, text, "Client data", platform::Icon::Question, platform::Buttons::YesNo) != QMessageBox::Yes)
            return false;
    }
    for (const auto& [kind, value] : {std::pair{DuplicateKind::Passport, v.passport},
                                      std::pair{DuplicateKind::CardNumber, v.cardNum}}) {
        const QString finding = duplicateFinding(kind, value);
        if (finding.isEmpty()) continue;
        const QString text = finding + QStringLiteral("\r\n\r\n") + TranslateMessage(QStringLiteral("Are you sure to save?"));
        if (showTranslated(this, text, "Client data", platform::Icon::Warning, platform::Buttons::YesNo) != QMessageBox::Yes)
            return false;
    }

    TdmDataModule* dm = dmDataModule();
    const QString sql = dm ? clients::clientSaveStatement(dm->DbPrefix(), KID, v, QString(), shell::TodayText(), shell::NowTimeText())
                           : QString();
    // An update that finds no row (the card was deleted meanwhile) saved nothing.
    if (!dm || !dm->ExecStatement(sql) || dm->lastCount() < 1) {
        LangMessageBox(this, QStringLiteral("Insert/Update failed."), QStringLiteral("Client data"),
                       platform::Icon::Warning, platform::Buttons::Ok);
        return false;
    }
    m_history->close();
    return true;
}
