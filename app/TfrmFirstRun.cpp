// frmFirstRun: see TfrmFirstRun.h. The work is applyFirstRunChoice's; the window only asks.

#include "app/TfrmFirstRun.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/FirstRun.h"
#include "lang/Language.h"
#include "platform/Platform.h"

namespace tamarel {

namespace {
QString tr_(const char* text) { return TranslateMessageIfAny(QString::fromUtf8(text)); }
}  // namespace

TfrmFirstRun::TfrmFirstRun(QString defaultFolder, QString settingsFile, QWidget* parent)
    : QDialog(parent), m_defaultFolder(std::move(defaultFolder)), m_settingsFile(std::move(settingsFile))
{
    setObjectName(QStringLiteral("frmFirstRun"));
    setWindowTitle(QStringLiteral("Tamarel"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(tr_("Tamarel has no database yet. Where should it keep the hotel's data?"), this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    btEmpty = new QPushButton(tr_("Create an empty database"), this);
    btDemo = new QPushButton(tr_("Open the demo hotel"), this);
    btExisting = new QPushButton(tr_("Use an existing folder..."), this);
    btServer = new QPushButton(tr_("Connect to a server..."), this);
    for (QPushButton* b : {btEmpty, btDemo, btExisting, btServer}) layout->addWidget(b);
    auto* serverRow = new QHBoxLayout;
    edServer = new QLineEdit(this);
    edServer->setPlaceholderText(QStringLiteral("postgresql://user@host/hotel"));
    btConnect = new QPushButton(tr_("Connect"), this);
    serverRow->addWidget(edServer);
    serverRow->addWidget(btConnect);
    layout->addLayout(serverRow);
    edServer->hide();
    btConnect->hide();
    btQuit = new QPushButton(tr_("Quit"), this);
    layout->addWidget(btQuit);

    connect(btEmpty, &QPushButton::clicked, this, [this] { choose(int(FirstRunChoice::Empty), QString()); });
    connect(btDemo, &QPushButton::clicked, this, [this] { choose(int(FirstRunChoice::Demo), QString()); });
    connect(btExisting, &QPushButton::clicked, this, [this] {
        const QString folder = platform::chooseFolder(this, tr_("Use an existing folder..."), QString());
        if (!folder.isEmpty()) choose(int(FirstRunChoice::Existing), folder);
    });
    connect(btServer, &QPushButton::clicked, this, [this] {
        edServer->show();
        btConnect->show();
        edServer->setFocus();
    });
    connect(btConnect, &QPushButton::clicked, this, [this] { choose(int(FirstRunChoice::Server), edServer->text()); });
    connect(edServer, &QLineEdit::returnPressed, btConnect, &QPushButton::click);
    connect(btQuit, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmFirstRun::choose(int choice, const QString& folderOrUri)
{
    const FirstRunResult r =
        applyFirstRunChoice(FirstRunChoice(choice), folderOrUri, m_defaultFolder, m_settingsFile, platform::now());
    if (!r.kept) {
        platform::messageBox(this, TranslateMessageIfAny(r.message) + QStringLiteral("\r\n") + r.reason,
                             QStringLiteral("Tamarel"), platform::Icon::Warning, platform::Buttons::Ok);
        return;
    }
    m_database = r.database;
    accept();
}

}  // namespace tamarel
