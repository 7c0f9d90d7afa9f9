// The buyer dialog until the register lookup brings its own: four line edits (name,
// address, IČO, DIČ) in a modal dialog shown through the platform seam. The build uses it
// only where TfrmBuyer.cpp is absent.
#include <QDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

#include "invoices/Buyer.h"
#include "platform/Platform.h"
#include "widgets/ButtonRow.h"
#include "widgets/Named.h"

namespace invoices {

bool editBuyer(QWidget* owner, Buyer& buyer)
{
    QDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("frmBuyer"));
    dialog.setWindowTitle(QStringLiteral("Buyer"));
    auto* form = new QFormLayout;
    struct Row {
        const char* name;
        const char* label;
        QString* value;
        int maxLength;
    };
    const Row rows[] = {{"edName", "Name:", &buyer.name, 100},
                        {"edAddress", "Address:", &buyer.address, 200},
                        {"edIco", "IČO:", &buyer.ico, 8},
                        {"edDic", "DIČ:", &buyer.dic, 14}};
    QList<QLineEdit*> edits;
    for (const Row& r : rows) {
        auto* edit = widgets::named(new QLineEdit(*r.value, &dialog), r.name);
        edit->setMaxLength(r.maxLength);
        edit->setMinimumWidth(320);
        form->addRow(QString::fromUtf8(r.label), edit);
        edits << edit;
    }
    auto* ok = widgets::named(new QPushButton(QStringLiteral("Ok"), &dialog), "btOk");
    ok->setDefault(true);
    auto* cancel = widgets::named(new QPushButton(QStringLiteral("Cancel"), &dialog), "btCancel");
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    widgets::bodyAboveButtons(&dialog, form, {ok, cancel});
    if (platform::runModal(&dialog) != QDialog::Accepted) return false;
    for (int i = 0; i < edits.size(); ++i) *rows[i].value = edits[i]->text().trimmed();
    return true;
}

}  // namespace invoices
