#include "platform/linux/desktop/LinuxWorkspace.h"

#include "platform/ContextCallback.h"
#include "platform/PlatformLog.h"
#include "platform/linux/apps/GioModule.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QThread>
#include <QThreadPool>

#include <algorithm>

namespace {

// The XDG "applications" folders, most important first.
QStringList applicationFolders() {
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.local/share");
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/usr/local/share:/usr/share");
    QStringList folders{home + QStringLiteral("/applications")};
    for (const QString& dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        folders.append(dir + QStringLiteral("/applications"));
    return folders;
}

std::optional<QString> desktopIdOf(const QString& path) {
    const QString file = QFileInfo(path).canonicalFilePath();
    if (file.isEmpty())
        return std::nullopt;
    for (const QString& folder : applicationFolders()) {
        const QString root = QFileInfo(folder).canonicalFilePath();
        if (!root.isEmpty() && file.startsWith(root + QLatin1Char('/')))
            return file.mid(root.size() + 1).replace(QLatin1Char('/'), QLatin1Char('-'));
    }
    return std::nullopt;
}

// Launches run here, off the main thread: GIO spawns synchronously and may wait on the bus. No more
// launches at a time than the CPUs this process may run on (the count follows its CPU affinity).
QThreadPool& launchPool() {
    static QThreadPool* pool = [] {
        auto* created = new QThreadPool();
        created->setMaxThreadCount(std::clamp(QThread::idealThreadCount(), 1, 4));
        created->setExpiryTimeout(5000);
        return created;
    }();
    return *pool;
}

// Whether something on the desktop opens addresses of `scheme`: an application that says it
// handles them, or for web addresses the browser the opener falls back on ($BROWSER, or Debian's
// x-www-browser). Without GIO nothing can be told, and the opener is left to try.
bool opensScheme(const QString& scheme) {
    const GioModule* gio = gioModule();
    if (!gio || gio->handlesUriScheme(scheme.toLower().toUtf8()))
        return true;
    if (scheme.compare(QLatin1String("http"), Qt::CaseInsensitive) != 0 &&
        scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) != 0)
        return false;
    return !qEnvironmentVariableIsEmpty("BROWSER") ||
           !QStandardPaths::findExecutable(QStringLiteral("x-www-browser")).isEmpty();
}

} // namespace

LinuxWorkspace::~LinuxWorkspace() {
    // A launch reports back through the application object, which goes after the workspace.
    launchPool().waitForDone();
    // The launches' children were handed to the reaper; with no launch left, it can end too.
    if (const GioModule* gio = loadedGioModule())
        gio->stopReaping();
}

bool LinuxWorkspace::openUrl(const QUrl& url) {
    if (!url.isValid() || url.isEmpty()) {
        qCDebug(lcPlatform, "open url: not a valid address: %s", qUtf8Printable(url.toString()));
        return false;
    }
    // For an address, the desktop's opener starts and reports success whether or not anything
    // takes the address; so it is asked first whether something would.
    if (!url.isLocalFile() && !opensScheme(url.scheme())) {
        qCInfo(lcPlatform, "open url: no application opens %s addresses", qUtf8Printable(url.scheme()));
        return false;
    }
    return QDesktopServices::openUrl(url);
}

void LinuxWorkspace::setClipboardText(const QString& text) {
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(text, QClipboard::Clipboard);
}

bool LinuxWorkspace::openApplication(const QString& applicationId) {
    if (applicationId.isEmpty() || applicationId.contains(QLatin1Char('/'))) {
        qCDebug(lcPlatform, "open application: not a desktop id: \"%s\"", qUtf8Printable(applicationId));
        return false;
    }
    QString desktopId = applicationId;
    if (!desktopId.endsWith(QLatin1String(".desktop")))
        desktopId += QLatin1String(".desktop");
    const GioModule* gio = gioModule();
    if (!gio) {
        qCDebug(lcPlatform, "open application: %s: desktop entries cannot be read",
                qUtf8Printable(applicationId));
        return false;
    }
    QString error;
    switch (gio->launchDesktopEntry(desktopId.toUtf8(), &error)) {
    case GioModule::Launch::started:
        return true;
    case GioModule::Launch::notFound:
        qCDebug(lcPlatform, "open application: not found: %s", qUtf8Printable(applicationId));
        return false;
    case GioModule::Launch::failed:
        break;
    }
    qCDebug(lcPlatform, "open application: %s failed to start: %s", qUtf8Printable(applicationId),
            qUtf8Printable(error));
    return false;
}

bool LinuxWorkspace::openShortcutsApplication() {
    qCInfo(lcPlatform, "open shortcuts application: Linux has none; nothing opened");
    return false;
}

Workspace::Launch LinuxWorkspace::openDefaultApplication(const QString& mimeType) {
    Launch result;
    if (mimeType.isEmpty())
        return result;
    const GioModule* gio = gioModule();
    if (!gio) {
        result.outcome = Launch::Outcome::failed;
        result.error = QStringLiteral("the desktop's applications cannot be read");
        return result;
    }
    QString error;
    switch (gio->launchDefaultFor(mimeType.toUtf8(), &error)) {
    case GioModule::Launch::started:
        result.outcome = Launch::Outcome::launched;
        break;
    case GioModule::Launch::notFound:
        qCDebug(lcPlatform, "open default application: none for %s", qUtf8Printable(mimeType));
        break;
    case GioModule::Launch::failed:
        result.outcome = Launch::Outcome::failed;
        result.error = error;
        break;
    }
    return result;
}

std::optional<Workspace::ApplicationFile> LinuxWorkspace::describeApplicationFile(const QString& path,
                                                                                  QString* error) {
    const auto fail = [error](const QString& why) -> std::optional<ApplicationFile> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (!QFileInfo(path).isFile())
        return fail(QStringLiteral("%1 is not a file.").arg(path));
    const GioModule* gio = gioModule();
    if (!gio)
        return fail(QStringLiteral("desktop entries cannot be read"));
    GioModule::DesktopFile file;
    QString why;
    if (!gio->describeDesktopFile(QFile::encodeName(path), &file, &why))
        return fail(why);
    return ApplicationFile{file.localizedName, file.name, desktopIdOf(path), file.icon};
}

void LinuxWorkspace::openApplicationFile(const QString& path, const QObject* context,
                                         std::function<void(const Launch&)> done) {
    const ContextCallback<void(const Launch&)> reply(context, std::move(done));
    const auto answer = [reply](const Launch& launch) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [reply, launch] { reply(launch); }, Qt::QueuedConnection);
    };
    const GioModule* gio = gioModule();
    if (!gio) {
        answer({Launch::Outcome::failed, QStringLiteral("desktop entries cannot be read")});
        return;
    }
    launchPool().start([gio, file = QFile::encodeName(path), path, answer] {
        Launch result;
        QString error;
        switch (gio->launchDesktopFile(file, &error)) {
        case GioModule::Launch::started:
            result.outcome = Launch::Outcome::launched;
            break;
        case GioModule::Launch::notFound:
            result.outcome = Launch::Outcome::notFound;
            result.error = QStringLiteral("%1 is no application GIO can start.").arg(path);
            break;
        case GioModule::Launch::failed:
            result.outcome = Launch::Outcome::failed;
            result.error = error;
            break;
        }
        answer(result);
    });
}
