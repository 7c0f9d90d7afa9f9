// TfrmBuyer: the buyer dialog and its entry in the dialog seam; see TfrmBuyer.h.
#include "invoices/TfrmBuyer.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVariantMap>

#include "lang/Language.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "widgets/ButtonRow.h"
#include "widgets/Named.h"

using widgets::label;
using widgets::named;

namespace {
const QString kCaption = QStringLiteral("Buyer of the invoice");
QString translated(const QString& text) { return TranslateMessageIfAny(text); }
QPointer<TfrmBuyer> g_buyer;
}  // namespace

TfrmBuyer::TfrmBuyer(QWidget* parent) : QDialog(parent), m_lookup(new invoices::AresLookup(this))
{
    setObjectName(QStringLiteral("frmBuyer"));
    setWindowTitle(kCaption);
    edName = named(new QLineEdit(this), "edName");
    edName->setMaxLength(100);
    edAddress = named(new QLineEdit(this), "edAddress");
    edAddress->setMaxLength(200);
    edIco = named(new QLineEdit(this), "edIco");
    edIco->setMaxLength(10);
    edDic = named(new QLineEdit(this), "edDic");
    edDic->setMaxLength(14);
    for (QLineEdit* e : {edName, edAddress}) e->setMinimumWidth(420);
    btAres = named(new QPushButton(QStringLiteral("Fill from ARES"), this), "btAres");
    btAres->setAutoDefault(false);
    lbAresState = named(new QLabel(this), "lbAresState");
    lbAresState->setWordWrap(true);
    // Room for a two-line message from the start: the dialog does not grow when one arrives.
    lbAresState->setMinimumHeight(2 * lbAresState->fontMetrics().lineSpacing() + 4);
    btOk = named(new QPushButton(QStringLiteral("Ok"), this), "btOk");
    btOk->setDefault(true);
    btCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "btCancel");
    btCancel->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(label(this, "lbIco", "IČO:", edIco), 0, 0);
    auto* icoRow = new QHBoxLayout;
    icoRow->addWidget(edIco);
    icoRow->addWidget(btAres);
    icoRow->addStretch(1);
    grid->addLayout(icoRow, 0, 1);
    grid->addWidget(label(this, "lbName", "Name:", edName), 1, 0);
    grid->addWidget(edName, 1, 1);
    grid->addWidget(label(this, "lbAddress", "Address:", edAddress), 2, 0);
    grid->addWidget(edAddress, 2, 1);
    grid->addWidget(label(this, "lbDic", "DIČ:", edDic), 3, 0);
    grid->addWidget(edDic, 3, 1);
    grid->addWidget(lbAresState, 4, 1);
    widgets::bodyAboveButtons(this, grid, {btOk, btCancel});

    connect(btAres, &QPushButton::clicked, this, &TfrmBuyer::fillFromAres);
    connect(m_lookup, &invoices::AresLookup::finished, this, &TfrmBuyer::onAnswer);
    connect(btOk, &QPushButton::clicked, this, [this] {
        if (const QString problem = check(); !problem.isEmpty()) say(TranslateMessageIfAny(problem), true);
        else accept();
    });
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

int TfrmBuyer::Execute(invoices::Buyer& buyer)
{
    FormActivate(buyer);
    const int result = platform::runModal(this);
    if (result == QDialog::Accepted) buyer = this->buyer();
    return result;
}

void TfrmBuyer::FormActivate(const invoices::Buyer& buyer)
{
    m_lookup->cancel();
    edName->setText(buyer.name);
    edAddress->setText(buyer.address);
    edIco->setText(buyer.ico);
    edDic->setText(buyer.dic);
    btAres->setEnabled(true);
    say(QString(), false);
    (buyer.ico.isEmpty() ? edIco : edName)->setFocus();
}

invoices::Buyer TfrmBuyer::buyer() const
{
    return {edName->text().simplified(), edAddress->text().simplified(), invoices::normalIco(edIco->text()),
            edDic->text().remove(QLatin1Char(' ')).toUpper()};
}

QString TfrmBuyer::check()
{
    const invoices::Buyer b = buyer();
    if (!b.ico.isEmpty())
        if (QString problem = invoices::icoProblem(b.ico); !problem.isEmpty()) {
            edIco->setFocus();
            return problem;
        }
    if (!b.dic.isEmpty())
        if (QString problem = invoices::dicProblem(b.dic); !problem.isEmpty()) {
            edDic->setFocus();
            return problem;
        }
    if (b.name.isEmpty() && !(b.ico.isEmpty() && b.dic.isEmpty() && b.address.isEmpty())) {
        edName->setFocus();
        return QStringLiteral("The buyer needs a name.");
    }
    return {};
}

bool TfrmBuyer::fillFromAres()
{
    const QString ico = invoices::normalIco(edIco->text());
    if (const QString problem = invoices::icoProblem(ico); !problem.isEmpty()) {
        say(TranslateMessageIfAny(problem), true);
        edIco->setFocus();
        return false;
    }
    if (m_lookup->running()) return false;
    edIco->setText(ico);
    if (!m_lookup->start(ico)) return false;
    btAres->setEnabled(false);
    say(TranslateMessageIfAny(QStringLiteral("Asking the register...")), false);
    return true;
}

void TfrmBuyer::onAnswer(const invoices::AresAnswer& answer)
{
    btAres->setEnabled(true);
    if (invoices::normalIco(edIco->text()) != m_lookup->asked()) {
        say(TranslateMessageIfAny(QStringLiteral("The IČO was changed meanwhile; the register's answer was not used.")), true);
        return;
    }
    if (answer.outcome == invoices::AresOutcome::Found) {
        edName->setText(answer.buyer.name);
        edAddress->setText(answer.buyer.address);
        if (!answer.buyer.dic.isEmpty()) edDic->setText(answer.buyer.dic);
        else edDic->clear();   // the register knows no VAT number: the company pays no VAT
    }
    QString text = answer.text(&translated);
    if (answer.outcome != invoices::AresOutcome::Found)
        text += QLatin1Char(' ') + TranslateMessageIfAny(QStringLiteral("Type the buyer's details yourself."));
    say(text, answer.outcome != invoices::AresOutcome::Found);
}

void TfrmBuyer::say(const QString& text, bool fault)
{
    lbAresState->setText(text);
    lbAresState->setStyleSheet(fault ? QStringLiteral("color: #b00000") : QString());
}

void TfrmBuyer::done(int result)
{
    m_lookup->cancel();
    btAres->setEnabled(true);
    QDialog::done(result);
}

namespace invoices {

TfrmBuyer* buyerDialog() { return g_buyer; }

void unregisterBuyerDialog()
{
    platform::unregisterDialog(QLatin1String(kBuyerDialog));
    delete g_buyer.data();
}

bool editBuyer(QWidget* owner, Buyer& buyer)
{
    if (!platform::hasDialog(QLatin1String(kBuyerDialog))) {
        // Without the program's windows (a tool, a test of another window): a window of its own.
        TfrmBuyer dialog(owner);
        return dialog.Execute(buyer) == QDialog::Accepted;
    }
    QVariantMap args{{QStringLiteral("name"), buyer.name}, {QStringLiteral("address"), buyer.address},
                     {QStringLiteral("ico"), buyer.ico}, {QStringLiteral("dic"), buyer.dic}};
    if (platform::openDialog(QLatin1String(kBuyerDialog), args) != platform::kAccepted) return false;
    buyer = {args.value(QStringLiteral("name")).toString(), args.value(QStringLiteral("address")).toString(),
             args.value(QStringLiteral("ico")).toString(), args.value(QStringLiteral("dic")).toString()};
    return true;
}

}  // namespace invoices

void registerBuyerDialog(QWidget* mainWindow)
{
    if (!g_buyer) g_buyer = new TfrmBuyer(mainWindow);
    platform::registerDialog(QLatin1String(invoices::kBuyerDialog), [](QVariantMap& args) {
        if (!g_buyer) return platform::kRejected;
        invoices::Buyer b{args.value(QStringLiteral("name")).toString(), args.value(QStringLiteral("address")).toString(),
                          args.value(QStringLiteral("ico")).toString(), args.value(QStringLiteral("dic")).toString()};
        if (g_buyer->Execute(b) != QDialog::Accepted) return platform::kRejected;
        args.insert(QStringLiteral("name"), b.name);
        args.insert(QStringLiteral("address"), b.address);
        args.insert(QStringLiteral("ico"), b.ico);
        args.insert(QStringLiteral("dic"), b.dic);
        return platform::kAccepted;
    });
}
