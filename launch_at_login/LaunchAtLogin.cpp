#include "launch_at_login/LaunchAtLogin.h"

#include "launch_at_login/Observable.h"
#include "platform/AtomicWrite.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <optional>

namespace LaunchAtLogin {

const QLoggingCategory& log() {
    static const QLoggingCategory category("com.kestrovanile.LaunchAtLogin.main");
    return category;
}

QString entryPath() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/com.brimlark.app.desktop");
}

namespace {

// The keys of the [Desktop Entry] group, or nothing when the file is no desktop entry.
std::optional<QHash<QString, QString>> readEntry(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    QHash<QString, QString> keys;
    QString group;
    bool sawEntryGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            group = line.mid(1, line.size() - 2);
            sawEntryGroup = sawEntryGroup || group == QLatin1String("Desktop Entry");
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || group.isEmpty())
            return std::nullopt; // not key=value, or keys before any group
        if (group == QLatin1String("Desktop Entry"))
            keys.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    if (!sawEntryGroup)
        return std::nullopt;
    return keys;
}

QString entryText() {
    QString program = QCoreApplication::applicationFilePath();
    if (program.isEmpty())
        program = QStringLiteral("brimlark");
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Brimlark\n"
                          "Comment=The notch panel\n"
                          "Exec=%1\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(execLine(program));
}

bool registerEntry(QString* error) {
    const QString path = entryPath();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create %1").arg(folder);
        return false;
    }
    // An entry already there is replaced in one step: a failed write leaves it as it was.
    return AtomicWrite::replace(path, entryText().toUtf8(), error);
}

bool unregisterEntry(QString* error) {
    QFile file(entryPath());
    if (!file.exists())
        return true;
    if (!file.remove()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

bool isEnabled() {
    const auto keys = readEntry(entryPath());
    return keys &&
           keys->value(QStringLiteral("Hidden")).compare(QLatin1String("true"), Qt::CaseInsensitive) != 0;
}

void setEnabled(bool enabled) {
    emit Observable::instance().changed();
    QString error;
    const bool ok = enabled ? registerEntry(&error) : unregisterEntry(&error);
    if (!ok)
        qCCritical(log, "Failed to %s launch at login: %s", enabled ? "enable" : "disable",
                   qUtf8Printable(error));
    emit Observable::instance().changed();
}

QString execLine(const QString& programPath) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = false;
    for (const QChar c : programPath)
        needsQuotes = needsQuotes || reserved.contains(c);
    QString arg = programPath;
    if (needsQuotes) {
        QString quoted;
        for (const QChar c : programPath) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        arg = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    // Field codes start with '%'; a literal one is doubled. Backslashes are escaped once more
    // because the value itself is a desktop entry string.
    arg.replace(QLatin1Char('%'), QStringLiteral("%%"));
    arg.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return arg;
}

} // namespace LaunchAtLogin
