// TApplication: the event loop's net for errors no window caught (see Application.h).

#include "app/Application.h"

#include <QWidget>
#include <exception>

#include "engine/Engine.h"
#include "lang/Language.h"
#include "platform/Platform.h"

namespace tamarel {

namespace {

// The window the message belongs to: the receiver's own window when it is a widget, else the
// active one, so a modal dialog's message stays over that dialog.
QWidget* ownerOf(QObject* receiver)
{
    if (auto* widget = qobject_cast<QWidget*>(receiver)) return widget->window();
    return QApplication::activeWindow();
}

void report(QObject* receiver, const QString& what)
{
    // A second error while the message itself is shown is not reported again: one message
    // on the screen at a time, and no endless chain if the message box's own events fail.
    static bool reporting = false;
    if (reporting) return;
    reporting = true;
    try {
        platform::messageBox(ownerOf(receiver), TApplication::NetMessage(what), QStringLiteral("Tamarel"),
                             platform::Icon::Warning, platform::Buttons::Ok);
    } catch (...) {
    }
    reporting = false;
}

}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

QString TApplication::NetMessage(const QString& what)
{
    return TranslateMessageIfAny(QStringLiteral("The command could not be completed:")) + QStringLiteral("\r\n") + what;
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const engine::Error& e) {
        report(receiver, QString::fromStdString(e.what()));
    } catch (const std::exception& e) {
        report(receiver, QString::fromLocal8Bit(e.what()));
    }
    return true;
}

}  // namespace tamarel
