#pragma once
// Helpers shared by the translation tests: message boxes answered and recorded through the
// platform seam, and small tables built in the test instead of the compiled-in ones.

#include "lang/LanguageTables.h"
#include "platform/Platform.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <utility>

struct RecordedBox {
    QString text;
    QString caption;
    platform::Icon icon;
};

// Installs a message box handler for the lifetime of the object.
class MessageBoxRecorder {
public:
    MessageBoxRecorder()
    {
        platform::seams().messageBox = [this](QWidget*, const QString& text, const QString& caption,
                                              platform::Icon icon, platform::Buttons) {
            boxes.append({text, caption, icon});
            return 0x00000400;  // QMessageBox::Ok
        };
    }
    ~MessageBoxRecorder() { platform::seams().messageBox = nullptr; }
    QList<RecordedBox> boxes;
};

inline std::shared_ptr<const LanguageTables> makeTables(
    const QList<std::pair<QString, QString>>& objects, const QList<std::pair<QString, QString>>& messages)
{
    auto tables = std::make_shared<LanguageTables>();
    tables->languages = {"Default", "English", QString::fromUtf8("Česky")};
    for (const auto& [path, czech] : objects) tables->objects.append({path, {QString(), czech}});
    for (const auto& [key, czech] : messages) tables->messages.append({key, {QString(), czech}});
    return tables;
}
