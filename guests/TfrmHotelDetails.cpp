// TfrmHotelDetails: the hotel details window; see TfrmHotelDetails.h.
#include "guests/TfrmHotelDetails.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <stdexcept>

#include "guests/GuestWindows.h"
#include "guests/HotelSettings.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "widgets/ButtonRow.h"
#include "widgets/Named.h"

namespace {
const QString kCaption = QStringLiteral("Hotel details");
}

TfrmHotelDetails::TfrmHotelDetails(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmHotelDetails"));
    setWindowTitle(kCaption);
    auto* grid = new QGridLayout;
    int row = 0;
    for (const guests::SettingKey& k : guests::settingKeys()) {
        if (guests::isKeyPattern(k)) continue;   // a room's setting is edited with the room
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("ed") + QLatin1String(k.key));
        edit->setMaxLength(k.maxLength);
        edit->setMinimumWidth(320);
        auto* label = new QLabel(QString::fromUtf8(k.label), this);
        label->setObjectName(QStringLiteral("lb") + QLatin1String(k.key));
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        edits.insert(QLatin1String(k.key), edit);
        ++row;
    }
    btOk = widgets::named(new QPushButton(QStringLiteral("Ok"), this), "btOk");
    btOk->setDefault(true);
    btCancel = widgets::named(new QPushButton(QStringLiteral("Cancel"), this), "btCancel");
    btCancel->setAutoDefault(false);
    connect(btOk, &QPushButton::clicked, this, [this] {
        if (save()) accept();
    });
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    widgets::bodyAboveButtons(this, grid, {btOk, btCancel});
}

int TfrmHotelDetails::Execute()
{
    if (!FormActivate()) return QDialog::Rejected;
    return platform::runModal(this);
}

bool TfrmHotelDetails::FormActivate()
{
    TdmDataModule* dm = dmDataModule();
    if (!guests::guestBookReadyOrSay(parentWidget(), dm, kCaption)) return false;
    try {
        const QMap<QString, QString> stored = guests::readSettings(dm->db(), dm->DbPrefix());
        for (auto it = edits.begin(); it != edits.end(); ++it) it.value()->setText(stored.value(it.key()));
    } catch (const engine::Error& e) {
        guests::warnUser(parentWidget(), kCaption, QStringLiteral("The hotel's details cannot be read."), QString::fromUtf8(e.what()));
        return false;
    }
    edits.first()->setFocus();
    return true;
}

bool TfrmHotelDetails::save()
{
    TdmDataModule* dm = dmDataModule();
    if (!dm) return false;
    QMap<QString, QString> values;
    for (auto it = edits.begin(); it != edits.end(); ++it) values.insert(it.key(), it.value()->text().trimmed());
    for (auto it = values.begin(); it != values.end(); ++it)
        if (const QString problem = guests::checkSetting(it.key(), it.value()); !problem.isEmpty()) {
            guests::warnUser(this, kCaption, problem);
            edits.value(it.key())->setFocus();
            return false;
        }
    try {
        guests::writeSettings(dm->db(), dm->DbPrefix(), values);
    } catch (const std::exception& e) {
        guests::warnUser(this, kCaption, QStringLiteral("The hotel's details cannot be stored."), QString::fromUtf8(e.what()));
        return false;
    }
    return true;
}
