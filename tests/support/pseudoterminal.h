#pragma once
// A pseudo-terminal standing in for a printer on a serial line: the program
// opens the slave as its port, the test plays the printer on the master.

#include <QByteArray>
#include <QString>

class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool isOpen() const { return master_ >= 0; }
    int masterFd() const { return master_; }
    QString slavePath() const { return slavePath_; }

    // The printer's side: bytes to the program, bytes from it.
    bool send(const QByteArray& bytes);
    // Everything the program has written, waiting up to timeoutMs for the
    // first byte and then taking what follows without a pause.
    QByteArray receive(int timeoutMs);
    // The printer goes away: the program's end sees a hang-up.
    void closeMaster();

private:
    int master_ = -1;
    QString slavePath_;
};
