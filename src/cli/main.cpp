// vrl: the command-line front of the locking engine, for scripts, tests and benchmarks.
#include "PasswordSource.h"
#include "locker/Locker.h"
#include "locker/OperationMessages.h"
#include "platform/RuntimeError.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

const char* const Usage = "usage: vrl put  [--method 0|1|2] [--app PATH] [--password-file FILE] "
                          "SOURCE LOCKER\n"
                          "       vrl take [--method 0|1|2] [--app-mode 0|1|2] [--password-file "
                          "FILE] LOCKER OUTPUT\n"
                          "The key password comes from VRL_PASSWORD, else the password file, "
                          "else a prompt.\nOUTPUT - writes to standard output.\n";

struct Options {
    bool put = false;
    int method = locker::CrossPasswordMethod;
    int appMode = locker::RecordedApplication;
    std::optional<QString> app;
    std::optional<QString> passwordFile;
    QStringList files;
};

void printError(const QString& text) {
    std::fprintf(stderr, "vrl: %s\n", text.toLocal8Bit().constData());
}

std::optional<int> parseChoice(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= 0 && value <= 2 ? std::optional<int>(value) : std::nullopt;
}

// Returns nothing for a usage error.
std::optional<Options> parse(const QStringList& args) {
    if (args.size() < 2 || (args[1] != u"put" && args[1] != u"take"))
        return std::nullopt;
    Options options;
    options.put = args[1] == u"put";
    for (qsizetype i = 2; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == u"--method" && hasValue) {
            const auto method = parseChoice(args[++i]);
            if (!method)
                return std::nullopt;
            options.method = *method;
        } else if (arg == u"--app-mode" && hasValue && !options.put) {
            const auto mode = parseChoice(args[++i]);
            if (!mode)
                return std::nullopt;
            options.appMode = *mode;
        } else if (arg == u"--app" && hasValue && options.put) {
            options.app = args[++i];
        } else if (arg == u"--password-file" && hasValue) {
            options.passwordFile = args[++i];
        } else if (arg.startsWith(u"--") || (arg.startsWith(u'-') && arg.size() > 1)) {
            return std::nullopt;
        } else {
            options.files.append(arg);
        }
    }
    if (options.files.size() != 2)
        return std::nullopt;
    return options;
}

int run(const Options& options) {
    const locker::Operation operation =
        options.put ? locker::Operation::PutAway : locker::Operation::TakeOut;
    try {
        const auto password = cli::ReadPassword(options.passwordFile);
        if (!password) {
            printError(QStringLiteral("鍵のパスワードを入力してください。"));
            return ExitFailure;
        }
        if (options.put) {
            locker::PutAway(options.files[0], options.files[1], *password, options.method,
                            options.app);
            return 0;
        }
        std::optional<QString> app;
        if (options.files[1] == u"-") {
            QFile out;
            if (!out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered))
                throw platform::RuntimeError(platform::err::DeviceIo);
            app =
                locker::TakeOut(options.files[0], out, *password, options.method, options.appMode);
        } else {
            app = locker::TakeOut(options.files[0], options.files[1], *password, options.method,
                                  options.appMode);
        }
        if (app)
            std::fprintf(stderr, "application: %s\n", app->toLocal8Bit().constData());
        return 0;
    } catch (const platform::RuntimeError& error) {
        if (const auto message = locker::FailureMessage(operation, error)) {
            printError(error.number() == platform::err::IndexOutOfRange
                           ? *message
                           : QStringLiteral("%1 (%2)").arg(*message).arg(error.number()));
        }
        return ExitFailure;
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const auto options = parse(QCoreApplication::arguments());
    if (!options) {
        std::fputs(Usage, stderr);
        return ExitUsage;
    }
    return run(*options);
}
