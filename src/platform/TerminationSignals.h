#pragma once

#include <QObject>

class QSocketNotifier;

namespace platform {

// Brings the requests to end the program (SIGTERM, SIGHUP, SIGINT) into the event loop:
// the handler only writes the signal's number to a pipe, and `received` is emitted from the
// event loop, where anything may be done. One instance at a time.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Ends the program at once, skipping every destructor and exit handler, with the exit
    // status of a program ended by `signal`.
    [[noreturn]] static void endNow(int signal);

Q_SIGNALS:
    void received(int signal);

private:
    void readSignals();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace platform
