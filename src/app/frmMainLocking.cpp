// Put away and take out as the window runs them: the engine does the bytes on a worker thread;
// here are the hourglass, the progress window, the error handler, "$temp.dat" and the hand-off.
#include "app/BackgroundWork.h"
#include "app/frmMain.h"
#include "ui/UiText.h"

#include "dialogs/frmOptions.h"
#include "dialogs/frmProgress.h"
#include "locker/Locker.h"
#include "locker/OperationMessages.h"
#include "locker/legacy/Arithmetic.h"
#include "locker/stream/ByteSource.h"
#include "platform/MessageBox.h"
#include "platform/ProcessLaunch.h"
#include "platform/RuntimeError.h"
#include "viewer/Viewer.h"

#include <QApplication>
#include <QBuffer>
#include <QScopedValueRollback>

#include <new>

namespace {

// The hourglass and the progress window, shown for the own methods while an operation runs.
class BusySigns {
public:
    BusySigns(QWidget* owner, locker::KeyType keyType) {
        if (keyType == locker::KeyType::CrossPasswordMethod)
            return;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_progress.emplace(owner);
        m_progress->show();
    }
    ~BusySigns() {
        if (m_progress)
            QApplication::restoreOverrideCursor();
    }
    BusySigns(const BusySigns&) = delete;
    BusySigns& operator=(const BusySigns&) = delete;

    // The engine reports on its worker thread; the window is written on its own.
    [[nodiscard]] locker::ProgressCallback progress() {
        if (!m_progress)
            return {};
        frmProgress* window = &*m_progress;
        return background::onThreadOf(window,
                                      [window](int percent) { window->setPercent(percent); });
    }

private:
    std::optional<frmProgress> m_progress;
};

// The error handler of an operation: the fixed message of an index error under the window's
// title, nothing for a silent end, otherwise the description under the error's number.
void reportFailure(QWidget* parent, locker::Operation operation,
                   const platform::RuntimeError& error) {
    const std::optional<QString> text = locker::failureMessage(operation, error);
    if (!text)
        return;
    if (error.number() == platform::err::IndexOutOfRange)
        platform::showMessage(*text, QMessageBox::Critical, QMessageBox::Ok, ui::WindowTitle,
                              parent);
    else
        platform::showMessage(*text, QMessageBox::Warning, QMessageBox::Ok,
                              QString::number(error.number()), parent);
}

// Runs an operation under its error handler. The busy signs live inside `body`, so they are
// gone before a failure is reported.
template <typename Body> void handled(QWidget* parent, locker::Operation operation, Body body) {
    try {
        body();
    } catch (const platform::RuntimeError& error) {
        reportFailure(parent, operation, error);
    } catch (const std::bad_alloc&) {
        reportFailure(parent, operation, platform::RuntimeError(platform::err::OutOfMemory));
    }
}

} // namespace

void frmMain::EncFile(const QString& sbjFileName, const QString& objFileName,
                      const QString& strPassWd, const std::optional<QString>& strAppName) {
    const QScopedValueRollback operating(m_operating, true);
    handled(this, locker::Operation::PutAway, [&] {
        const locker::KeyType keyType = locker::keyTypeFromNumber(m_frmOptions->KeyType());
        BusySigns busy(this, keyType);
        background::run([&, progress = busy.progress()] {
            locker::putAway(sbjFileName, objFileName, strPassWd, keyType, strAppName, progress);
        });
    });
}

void frmMain::TakeFile(const QString& objFileName, const QString& strPassWd,
                       std::optional<QString> strAppName) {
    const QScopedValueRollback operating(m_operating, true);
    handled(this, locker::Operation::TakeOut, [&] {
        const locker::KeyType keyType = locker::keyTypeFromNumber(m_frmOptions->KeyType());
        const locker::AppMode appMode = locker::appModeFromNumber(m_frmOptions->AppMode());
        // Questions about earlier hand-offs come before the busy signs and after them.
        std::optional<BusySigns> busy;
        std::optional<QString> recorded;
        if (strAppName) {
            // Bound for an application from the start: written straight into "$temp.dat".
            auto handOff = newHandOff();
            busy.emplace(this, keyType);
            background::run([&, progress = busy->progress()] {
                recorded = locker::takeOut(objFileName, handOff->device(), strPassWd, keyType,
                                           appMode, progress);
            });
            startApplication(std::move(handOff), recorded.value_or(*strAppName), objFileName,
                             strPassWd, keyType, recorded);
            return;
        }
        // The viewer shows the bytes from memory; only an application recorded in the
        // locker file needs them in "$temp.dat".
        QByteArray content;
        QBuffer buffer(&content);
        buffer.open(QIODevice::WriteOnly);
        busy.emplace(this, keyType);
        background::run([&, progress = busy->progress()] {
            recorded = locker::takeOut(objFileName, buffer, strPassWd, keyType, appMode, progress);
        });
        if (!recorded) {
            m_viewer->openContents(std::move(content));
            return;
        }
        busy.reset();
        auto handOff = newHandOff();
        locker::writeAll(handOff->device(), content.constData(), content.size());
        startApplication(std::move(handOff), *recorded, objFileName, strPassWd, keyType, recorded);
    });
}

// The application gets the relative name and runs in the same working directory.
void frmMain::startApplication(std::unique_ptr<TakenOutFile> handOff, const QString& application,
                               const QString& objFileName, const QString& strPassWd,
                               locker::KeyType keyType, const std::optional<QString>& appHeader) {
    handOff->handTo(application, objFileName, strPassWd, keyType, appHeader);
    // Not while a put away or take out runs: asked once it has ended (the signal repeats).
    TakenOutFile* file = handOff.get();
    connect(file, &TakenOutFile::unused, this, [this, file] {
        if (!m_operating)
            finishHandOff(file);
    });
    connect(file, &TakenOutFile::savedNow, this, &frmMain::showHandOffs);
    m_handOffs.push_back(std::move(handOff));
    showHandOffs();
}

bool frmMain::putBack(const HandOffRecord& file, const QString& password, const QString& target) {
    const QScopedValueRollback operating(m_operating, true);
    bool done = false;
    handled(this, locker::Operation::PutAway, [&] {
        const locker::KeyType keyType = locker::keyTypeFromNumber(file.keyType);
        BusySigns busy(this, keyType);
        background::run([&, progress = busy.progress()] {
            locker::putAway(file.file, target, password, keyType, file.appHeader, progress);
        });
        done = true;
    });
    return done;
}

bool frmMain::CheckPassWd() {
    if (!m_keyPassWd.isEmpty())
        return true;
    platform::showMessage(ui::EnterKeyPassword, QMessageBox::Information, QMessageBox::Ok, {},
                          this);
    return false;
}

qint32 frmMain::SuperMod(qint32 ObjExpr, qint32 SbjExpr) {
    return locker::SuperMod(ObjExpr, SbjExpr);
}

qint32 frmMain::SuperYen(qint32 ObjExpr, qint32 SbjExpr) {
    return locker::SuperYen(ObjExpr, SbjExpr);
}

quint8 frmMain::SuperCByte(int Expr) {
    return locker::SuperCByte(Expr);
}

qint32 frmMain::MaxRow(qint32 intCol, qint32 intFileLen, quint8 bytLen) {
    return locker::MaxRow(intCol, intFileLen, bytLen);
}
