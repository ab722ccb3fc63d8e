// vrl: the command-line front of the locking engine, for scripts, tests and benchmarks.
#include "cli/PasswordSource.h"
#include "locker/Locker.h"
#include "locker/OperationMessages.h"
#include "platform/NativeName.h"
#include "platform/ReplacingFile.h"
#include "platform/RuntimeError.h"

#include <QCoreApplication>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <new>
#include <optional>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

const char* const Usage = "usage: vrl put  [--method 0|1|2] [--app PATH] [--password-file FILE] "
                          "[--] SOURCE LOCKER\n"
                          "       vrl take [--method 0|1|2] [--app-mode 0|1|2] [--password-file "
                          "FILE] [--] LOCKER OUTPUT\n"
                          "The key password comes from VRL_PASSWORD, else the password file, "
                          "else a prompt.\nOUTPUT - writes to standard output. --app records "
                          "an application with methods 0 and 1 only.\n";

struct Options {
    bool put = false;
    locker::KeyType method = locker::KeyType::CrossPasswordMethod;
    locker::AppMode appMode = locker::AppMode::RecordedApplication;
    std::optional<QString> app;
    std::optional<QString> passwordFile;
    QStringList files;
};

// Whether the caller closed standard output (">&-"): said in words when it is asked for.
bool standardOutputClosed = false;

// Holds the standard descriptors that the caller closed open on /dev/null, so that no file
// opened later takes their numbers and receives what was meant for them.
void holdStandardDescriptors() {
    standardOutputClosed = ::fcntl(STDOUT_FILENO, F_GETFD) < 0;
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
        if (::fcntl(fd, F_GETFD) < 0)
            (void)::open("/dev/null", O_RDWR); // the lowest free number: `fd`
}

// A name as a message shows it: the bytes the file system holds, with control characters
// escaped, so that a name cannot break a message into lines or drive the terminal.
QByteArray shownName(const QString& name) {
    QByteArray shown;
    for (const char ch : platform::nativeName(name)) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '\n')
            shown += "\\n";
        else if (ch == '\t')
            shown += "\\t";
        else if (ch == '\r')
            shown += "\\r";
        else if (byte < 0x20 || byte == 0x7f)
            shown += "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0');
        else
            shown += ch;
    }
    return shown;
}

void printError(const QString& fileName, const QString& text) {
    const QByteArray name = fileName.isEmpty() ? QByteArray() : shownName(fileName) + ": ";
    std::fprintf(stderr, "vrl: %s%s\n", name.constData(), text.toUtf8().constData());
}

std::optional<int> parseChoice(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= 0 && value <= 2 ? std::optional<int>(value) : std::nullopt;
}

// Returns nothing for a usage error. "--" ends the options, so that a file name may begin
// with "-"; a lone "-" is a file name (standard output as OUTPUT).
std::optional<Options> parse(const QStringList& args) {
    if (args.size() < 2 || (args[1] != u"put" && args[1] != u"take"))
        return std::nullopt;
    Options options;
    options.put = args[1] == u"put";
    bool optionsEnded = false;
    for (qsizetype i = 2; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (optionsEnded || arg == u"-" || !arg.startsWith(u'-')) {
            options.files.append(arg);
        } else if (arg == u"--") {
            optionsEnded = true;
        } else if (arg == u"--method" && hasValue) {
            const auto method = parseChoice(args[++i]);
            if (!method)
                return std::nullopt;
            options.method = locker::keyTypeFromNumber(*method);
        } else if (arg == u"--app-mode" && hasValue && !options.put) {
            const auto mode = parseChoice(args[++i]);
            if (!mode)
                return std::nullopt;
            options.appMode = locker::appModeFromNumber(*mode);
        } else if (arg == u"--app" && hasValue && options.put) {
            options.app = args[++i];
        } else if (arg == u"--password-file" && hasValue) {
            options.passwordFile = args[++i];
        } else {
            return std::nullopt;
        }
    }
    // The cross-password method records no application: refused rather than dropped.
    if (options.files.size() != 2 ||
        (options.app && options.method == locker::KeyType::CrossPasswordMethod))
        return std::nullopt;
    return options;
}

std::optional<QString> takeOut(const Options& options, const QString& password) {
    if (options.files[1] != u"-")
        return locker::takeOut(options.files[0], options.files[1], password, options.method,
                               options.appMode);
    if (standardOutputClosed)
        throw platform::RuntimeError(platform::err::DeviceUnavailable,
                                     QStringLiteral("標準出力が閉じられています。"));
    platform::ReplacingFile out{platform::ReplacingFile::StandardOutput{}};
    auto app =
        locker::takeOut(options.files[0], out.device(), password, options.method, options.appMode);
    out.commit();
    return app;
}

int run(const Options& options) {
    const locker::Operation operation =
        options.put ? locker::Operation::PutAway : locker::Operation::TakeOut;
    std::optional<QString> password;
    const auto report = [&](const platform::RuntimeError& error) {
        if (password)
            cli::wipePassword(*password);
        if (const auto message = locker::failureMessage(operation, error)) {
            printError(error.fileName(),
                       error.number() == platform::err::IndexOutOfRange
                           ? *message
                           : QStringLiteral("%1 (%2)").arg(*message).arg(error.number()));
        }
        return ExitFailure;
    };
    try {
        password = cli::readPassword(options.passwordFile);
        if (!password) {
            printError({}, QStringLiteral("鍵のパスワードを入力してください。"));
            return ExitFailure;
        }
        std::optional<QString> app;
        if (options.put)
            locker::putAway(options.files[0], options.files[1], *password, options.method,
                            options.app);
        else
            app = takeOut(options, *password);
        cli::wipePassword(*password);
        if (app)
            std::fprintf(stderr, "application: %s\n", shownName(*app).constData());
        return 0;
    } catch (const platform::RuntimeError& error) {
        return report(error);
    } catch (const std::bad_alloc&) {
        return report(platform::RuntimeError(platform::err::OutOfMemory));
    }
}

} // namespace

int main(int argc, char* argv[]) {
    // Past the file-size limit a write then fails (EFBIG) and is reported, instead of the
    // signal ending the program with its temporary file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    holdStandardDescriptors();
    QCoreApplication app(argc, argv);
    // Taken from argv rather than QCoreApplication::arguments(), whose decoding would turn
    // bytes that are not UTF-8 into U+FFFD and so change file names.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(platform::nameFromNative(argv[i]));
    const auto options = parse(args);
    if (!options) {
        std::fputs(Usage, stderr);
        return ExitUsage;
    }
    return run(*options);
}
