#pragma once
// TApplication: the program's QApplication, with a net under every event handler. A handler
// that lets an engine error (a table locked by another desk, a restore under way, a server
// that went away) or any other exception out would end the program with everything the
// receptionist had typed; here the error is shown in a message, the event counts as handled,
// and the event loop goes on.
//
// Invariant: the net is the last resort, not the rule: windows catch their own errors where a
// user action ends and say what they could not do; this message only covers what they missed.

#include <QApplication>

namespace tamarel {

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // The message the net shows: the translated lead line and the error's own text.
    static QString NetMessage(const QString& what);
};

}  // namespace tamarel
