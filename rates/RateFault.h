#pragma once
// What can go wrong between the bank and KURZY.DB, as one kind and one message. The messages
// are English texts with places %1, %2 that are the keys of their translation rows; the
// message is composed in the language in use when the fault is met (English in the tool).

#include <QString>
#include <QStringList>
#include <stdexcept>

namespace rates {

enum class Fault {
    None,
    Timeout,       // no whole answer within the time allowed
    Http,          // the server answered with an HTTP error
    Redirects,     // too many redirects (a loop)
    TooLarge,      // the answer is larger than the daily file can be
    Network,       // no connection, TLS refused, name not found, ...
    Layout,        // the answer is not the bank's daily file
    Store,         // the table refused the row
};

// The translated text with each %N replaced by parts[N-1], in one pass.
QString Say(const QString& englishKey, const QStringList& parts = {});

// A fault with its message, thrown by the parser and the store.
class RateError : public std::runtime_error {
public:
    RateError(Fault fault, const QString& message)
        : std::runtime_error(message.toStdString()), m_fault(fault), m_message(message)
    {
    }
    Fault fault() const { return m_fault; }
    const QString& message() const { return m_message; }

private:
    Fault m_fault;
    QString m_message;
};

}  // namespace rates
