#include "Brimlark/aihooks/install/AIHookAccessManager.h"

#include "platform/Bookmarks.h"
#include "platform/FilePicker.h"
#include "platform/UserDefaults.h"

#include <QDir>
#include <QFileInfo>

namespace {

using AccessError = AIHookAccessManager::AccessError;

QString standardized(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString lastComponent(const QString& cleanPath) {
    const int slash = cleanPath.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? cleanPath : cleanPath.mid(slash + 1);
}

QString parentOf(const QString& cleanPath) {
    const int slash = cleanPath.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return QStringLiteral("/");
    return cleanPath.left(slash);
}

QString joined(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// `path` when it is a folder, else the closest folder above it that exists.
QString nearestExistingFolder(const QString& cleanPath) {
    QString folder = cleanPath;
    while (!QFileInfo(folder).isDir() && folder != QLatin1String("/"))
        folder = parentOf(folder);
    return folder;
}

void set(AccessError* error, AccessError::Kind kind, const QString& payload = {}) {
    if (error)
        *error = AccessError{kind, payload};
}

} // namespace

QString AIHookAccessManager::AccessError::errorDescription() const {
    switch (kind) {
    case Kind::wrongFolder:
        return QStringLiteral("Choose ") + payload +
               QStringLiteral(", the config file inside it, or your Home folder so Brimlark can manage that "
                              "tool safely.");
    case Kind::notGranted:
        return payload + QStringLiteral(" access has not been granted yet.");
    case Kind::bookmarkResolutionFailed:
    case Kind::bookmarkCreationFailed:
        return payload;
    case Kind::cancelled:
        return QStringLiteral("Access was canceled.");
    }
    return payload;
}

AIHookAccessManager::AIHookAccessManager(QString homeDirectory, UserDefaults* defaults, Bookmarks* bookmarks,
                                         FilePicker* picker)
    : m_homeDirectory(std::move(homeDirectory)), m_defaults(defaults), m_bookmarks(bookmarks),
      m_picker(picker) {}

QString AIHookAccessManager::realHomeDirectory() {
    return QDir::homePath();
}

QString AIHookAccessManager::defaultsKey(AIHookTool tool) {
    return QStringLiteral("brimlark.aiHookAccess.") + aiHookToolKey(tool);
}

QString AIHookAccessManager::accessGrantedMessage(AIHookTool tool) {
    return aiHookToolDisplayName(tool) + QStringLiteral(" folder access granted.");
}

std::optional<AIHookAccessLocation> AIHookAccessManager::location(AIHookTool tool,
                                                                  const QString& selectedPath) const {
    if (selectedPath.isEmpty())
        return std::nullopt;
    const QString pick = standardized(selectedPath);
    const QString home = standardized(m_homeDirectory);
    const QString folderName = aiHookToolFolderName(tool);
    const QString configName = aiHookToolConfigFileName(tool);
    const QString name = lastComponent(pick);

    if (name == configName)
        return AIHookAccessLocation{pick, parentOf(pick), pick};
    if (name == folderName)
        return AIHookAccessLocation{pick, pick, joined(pick, configName)};
    if (pick == home || name == lastComponent(home)) {
        const QString directory = joined(pick, folderName);
        return AIHookAccessLocation{pick, directory, joined(directory, configName)};
    }
    return std::nullopt;
}

bool AIHookAccessManager::requestAccess(AIHookTool tool, AccessError* error) const {
    const QString expected = joined(standardized(m_homeDirectory), aiHookToolFolderName(tool));

    const QString name = aiHookToolDisplayName(tool);
    FilePickerOptions options;
    options.title = QStringLiteral("Allow ") + name + QStringLiteral(" Access");
    options.message = QStringLiteral("Choose your ") + aiHookToolFolderName(tool) +
                      QStringLiteral(" folder, the matching config file, or your Home folder so Brimlark can "
                                     "install and maintain hook wiring for ") +
                      name + QStringLiteral(".");
    options.prompt = QStringLiteral("Allow Access");
    options.canChooseFiles = true;
    options.canChooseDirectories = true;
    options.canCreateDirectories = true;
    options.showsHiddenFiles = true;
    // The panel opens in the tool's folder when there is one, else in the nearest folder above it
    // (the home folder): nothing is made before the user allows access, and a pick of the home
    // folder is as good, the tool's folder being made when the hooks are installed.
    options.directory = nearestExistingFolder(expected);

    const std::optional<QString> chosen = m_picker->pickOne(options);
    if (!chosen || chosen->isEmpty()) {
        set(error, AccessError::Kind::cancelled);
        return false;
    }
    const std::optional<AIHookAccessLocation> found = location(tool, *chosen);
    if (!found) {
        set(error, AccessError::Kind::wrongFolder, expected);
        return false;
    }

    const bool opened = m_bookmarks->startAccessing(found->grantedPath);
    QString why;
    const std::optional<QByteArray> bookmark = m_bookmarks->create(found->grantedPath, &why);
    if (bookmark)
        m_defaults->setData(defaultsKey(tool), *bookmark);
    if (opened)
        m_bookmarks->stopAccessing(found->grantedPath);
    if (!bookmark) {
        set(error, AccessError::Kind::bookmarkCreationFailed, why);
        return false;
    }
    return true;
}

std::optional<AIHookAccessLocation> AIHookAccessManager::openGrant(AIHookTool tool, QString* openedPath,
                                                                   AccessError* error) const {
    const QString key = defaultsKey(tool);
    const QByteArray stored = m_defaults->data(key);
    if (stored.isEmpty()) {
        set(error, AccessError::Kind::notGranted, aiHookToolDisplayName(tool));
        return std::nullopt;
    }
    QString why;
    const std::optional<Bookmarks::Resolved> resolved = m_bookmarks->resolve(stored, &why);
    if (!resolved) {
        set(error, AccessError::Kind::bookmarkResolutionFailed, why);
        return std::nullopt;
    }
    if (!m_bookmarks->startAccessing(resolved->path)) {
        set(error, AccessError::Kind::bookmarkResolutionFailed,
            QStringLiteral("Brimlark could not open the saved folder access for ") +
                aiHookToolDisplayName(tool) + QStringLiteral("."));
        return std::nullopt;
    }
    if (resolved->stale) {
        const std::optional<QByteArray> fresh = m_bookmarks->create(resolved->path, &why);
        if (!fresh) {
            m_bookmarks->stopAccessing(resolved->path);
            set(error, AccessError::Kind::bookmarkCreationFailed, why);
            return std::nullopt;
        }
        m_defaults->setData(key, *fresh);
    }
    const std::optional<AIHookAccessLocation> found = location(tool, resolved->path);
    if (!found) {
        m_bookmarks->stopAccessing(resolved->path);
        set(error, AccessError::Kind::wrongFolder,
            joined(standardized(m_homeDirectory), aiHookToolFolderName(tool)));
        return std::nullopt;
    }
    *openedPath = resolved->path;
    return found;
}

bool AIHookAccessManager::hasAccess(AIHookTool tool, AccessError* error) const {
    QString opened;
    if (!openGrant(tool, &opened, error))
        return false;
    m_bookmarks->stopAccessing(opened);
    return true;
}

bool AIHookAccessManager::withAccess(AIHookTool tool, quint16 port, const Operation& operation,
                                     QString* error) const {
    QString opened;
    AccessError accessError;
    const std::optional<AIHookAccessLocation> found = openGrant(tool, &opened, &accessError);
    if (!found) {
        if (error)
            *error = accessError.errorDescription();
        return false;
    }
    QString why;
    const bool done = operation(port, found->configPath, &why);
    m_bookmarks->stopAccessing(opened);
    if (!done && error)
        *error = why;
    return done;
}

AIHookAccessStatus AIHookAccessManager::accessStatus() const {
    AIHookAccessStatus status;
    status.claudeGranted = hasAccess(AIHookTool::claude);
    status.codexGranted = hasAccess(AIHookTool::codex);
    return status;
}
