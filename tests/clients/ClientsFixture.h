#pragma once
// Test support for the client windows: a database folder with the ten table files in a
// temporary directory, the data module on it, a fixed clock, recorded message boxes answered
// from a queue, and modal dialogs run by scripted actions chosen by the dialog's form name.
// Every seam is reset when the fixture goes away. The folder's path has an apostrophe in it.

#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QHash>
#include <QList>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QVector>
#include <functional>
#include <memory>

#include "data/TableFiles.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"

struct ShownMessage {
    QString text, caption;
    platform::Icon icon;
    platform::Buttons buttons;
};

class ClientsFixture {
public:
    using DialogAction = std::function<void(QDialog*)>;

    ClientsFixture()
    {
        platform::seams() = platform::Seams{};
        platform::seams().now = [] { return QDateTime(QDate(2004, 3, 5), QTime(9, 5, 7)); };
        platform::seams().messageBox = [this](QWidget*, const QString& text, const QString& caption,
                                              platform::Icon icon, platform::Buttons buttons) {
            messages.append({text, caption, icon, buttons});
            if (!answers.isEmpty()) return answers.takeFirst();
            if (buttons == platform::Buttons::Ok) return int(QMessageBox::Ok);
            unanswered << text;   // a question the test did not expect
            return int(QMessageBox::No);
        };
        platform::seams().runModal = [this](QDialog* dialog) {
            const QString name = dialog->objectName();
            opened << name;
            if (actions.value(name).isEmpty()) {
                unscripted << name;
                return int(QDialog::Rejected);
            }
            const DialogAction action = actions[name].takeFirst();
            dialog->setResult(QDialog::Rejected);
            dialog->show();
            action(dialog);
            // A dialog the action left open is given up like a close box would.
            if (dialog->isVisible()) {
                stayedOpen << name;
                dialog->hide();
                dialog->setResult(QDialog::Rejected);
            }
            return dialog->result();
        };
        m_module = std::make_unique<TdmDataModule>(m_dir.path());
        data::createTables(m_module->db(), m_dir.path());
        setDataModule(m_module.get());
    }

    ~ClientsFixture()
    {
        setDataModule(nullptr);
        m_module.reset();
        platform::seams() = platform::Seams{};
    }

    TdmDataModule& dm() { return *m_module; }
    QString db() const { return m_module->DbPrefix(); }

    // Runs a statement with {db} replaced; a failing statement ends the test run loudly.
    void exec(QString sql)
    {
        sql.replace(QStringLiteral("{db}"), db());
        if (!m_module->ExecStatement(sql)) qFatal("statement failed: %s\n%s", qPrintable(sql), qPrintable(m_module->lastError()));
    }

    // The rows of a query, each as its field texts joined by '|'.
    QStringList rows(QString sql)
    {
        sql.replace(QStringLiteral("{db}"), db());
        QStringList out;
        auto q = m_module->Open(sql);
        while (q->next()) {
            QStringList fields;
            for (int i = 0; i < int(q->fields().size()); ++i) fields << QString::fromStdString(q->text(i));
            out << fields.join(QLatin1Char('|'));
        }
        return out;
    }
    QString value(const QString& sql)
    {
        const QStringList r = rows(sql);
        return r.isEmpty() ? QStringLiteral("<none>") : r.first();
    }

    int addClient(const QString& surname, const QString& name, const QString& city = QString(),
                  const QString& passport = QString(), const QString& cardnum = QString())
    {
        exec(QStringLiteral("INSERT INTO \"{db}KARTY.DB\" (SURNAME,NAME,CITY,PASSPORT,CARDNUM) VALUES (%1,%2,%3,%4,%5)")
                 .arg(q(surname), q(name), q(city), q(passport), q(cardnum)));
        return value(QStringLiteral("SELECT max(KID) FROM \"{db}KARTY.DB\"")).toInt();
    }
    void addSource(const QString& code, const QString& description)
    {
        exec(QStringLiteral("INSERT INTO \"{db}ODKUDVI.DB\" (FID,FDESCR) VALUES (%1,%2)").arg(q(code), q(description)));
    }

    void script(const QString& formName, DialogAction action) { actions[formName].append(std::move(action)); }

    QVector<ShownMessage> messages;
    QList<int> answers;                       // QMessageBox::StandardButton values, in order
    QStringList unanswered;                   // questions nobody scripted an answer for
    QHash<QString, QList<DialogAction>> actions;
    QStringList opened, unscripted, stayedOpen;

private:
    static QString q(const QString& text)
    {
        QString inner = text;
        inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return QLatin1Char('"') + inner + QLatin1Char('"');
    }

    // An apostrophe in the folder path: statements must escape their values, not the path.
    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/clients-d'arcy-XXXXXX")};
    std::unique_ptr<TdmDataModule> m_module;
};
