#include "app/StartupCommandLine.h"

namespace {

const QString Switch = QStringLiteral("/P");
// The desktop's switch; the menu entry and the type of locker files start the program with it.
const QString TakeOutSwitch = QStringLiteral("--take-out");

QString trimBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.sliced(begin, end - begin).toString();
}

// Whether the "/P" found at `at` is the switch rather than part of a path.
bool isSwitchAt(const QString& text, qsizetype at) {
    const qsizetype after = at + Switch.size();
    if (at == 0)
        return after == text.size() || text[after] == u' ';
    return text[at - 1] == u' ';
}

// The position of the first switch, or -1.
qsizetype findSwitch(const QString& text) {
    for (qsizetype at = text.indexOf(Switch, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(Switch, at + 1, Qt::CaseInsensitive)) {
        if (isSwitchAt(text, at))
            return at;
    }
    return -1;
}

} // namespace

StartupCommandLine parseStartupCommandLine(const QString& text) {
    if (text == TakeOutSwitch || text.startsWith(TakeOutSwitch + u' '))
        return {text.sliced(qMin(text.size(), TakeOutSwitch.size() + 1)), std::nullopt, true};
    const qsizetype at = findSwitch(text);
    if (at < 0)
        return {trimBlanks(text), std::nullopt};
    const qsizetype passwordStart = qMin(text.size(), at + Switch.size() + 1);
    return {trimBlanks(QStringView(text).first(at)),
            trimBlanks(QStringView(text).sliced(passwordStart))};
}

const char* startupUsage() {
    return "usage: winvrls [FILE [/P PASSWORD]]\n"
           "       winvrls --take-out LOCKER\n"
           "FILE alone is shown in the built-in viewer, or taken out with the key password asked\n"
           "at start when that option is set. With /P, FILE is taken out of its locker file with\n"
           "PASSWORD. --take-out asks for the key password when none is set and takes LOCKER\n"
           "out, as opening a locker file from the desktop does.\n";
}
