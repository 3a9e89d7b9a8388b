#include "launch_at_login/LaunchAtLogin.h"

#include "launch_at_login/Observable.h"
#include "platform/AtomicWrite.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStandardPaths>

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

// Every build has written its entries with this name and comment: an entry that has both is this
// module's own, one with other values the user's.
const QString entryName = QStringLiteral("Brimlark");
const QString entryComment = QStringLiteral("The notch panel");

bool isOwnEntry(const QHash<QString, QString>& keys) {
    return keys.value(QStringLiteral("Name")) == entryName &&
           keys.value(QStringLiteral("Comment")) == entryComment;
}

// A value as a desktop entry string: "\\" stands for one backslash, "\s" for a space, and so on.
QString unescaped(const QString& raw) {
    QString value;
    for (int i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c == QLatin1Char('\\') && i + 1 < raw.size()) {
            const QChar next = raw.at(++i);
            value += next == QLatin1Char('s')   ? QChar(QLatin1Char(' '))
                     : next == QLatin1Char('t') ? QChar(QLatin1Char('\t'))
                     : next == QLatin1Char('n') ? QChar(QLatin1Char('\n'))
                     : next == QLatin1Char('r') ? QChar(QLatin1Char('\r'))
                                                : next;
            continue;
        }
        value += c;
    }
    return value;
}

// The reverse, for a value written into an entry.
QString escaped(const QString& value) {
    QString raw;
    for (const QChar c : value) {
        raw += c == QLatin1Char('\\')   ? QStringLiteral("\\\\")
               : c == QLatin1Char('\n') ? QStringLiteral("\\n")
               : c == QLatin1Char('\t') ? QStringLiteral("\\t")
               : c == QLatin1Char('\r') ? QStringLiteral("\\r")
                                        : QString(c);
    }
    return raw;
}

// An entry the session would not start: its TryExec names no program that is there, or it is this
// module's own and its Exec names a program that is gone (a build folder cleaned or moved since).
bool isDead(const QHash<QString, QString>& keys) {
    const auto tryExec = keys.constFind(QStringLiteral("TryExec"));
    if (tryExec != keys.constEnd() && !programExists(unescaped(tryExec.value())))
        return true;
    return isOwnEntry(keys) && !programExists(execProgram(keys.value(QStringLiteral("Exec"))));
}

QStringList searchPath() {
    return qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

// TryExec names the same program: once it is removed (uninstalled, or a build folder cleaned), the
// session skips the entry instead of failing to start it at every login.
QString entryText() {
    QString program = programForEntry(QCoreApplication::applicationFilePath(), searchPath());
    if (program.isEmpty())
        program = QStringLiteral("brimlark");
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=%1\n"
                          "Comment=%2\n"
                          "TryExec=%3\n"
                          "Exec=%4\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(entryName, entryComment, escaped(program), execLine(program));
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
           keys->value(QStringLiteral("Hidden")).compare(QLatin1String("true"), Qt::CaseInsensitive) != 0 &&
           !isDead(*keys);
}

void setEnabled(bool enabled) {
    // What a write killed midway left beside the entry.
    AtomicWrite::removeStaleCopies(entryPath());
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

QString programForEntry(const QString& runningProgram, const QStringList& searchPath) {
    if (runningProgram.isEmpty())
        return runningProgram;
    const QFileInfo running(runningProgram);
    const QString name = running.fileName();
    for (const QString& folder : searchPath) {
        if (!QDir::isAbsolutePath(folder))
            continue; // the session's working folder at login is not ours to know
        const QFileInfo candidate(QDir(folder).filePath(name));
        if (!candidate.isFile() || !candidate.isExecutable())
            continue;
        // The first hit is what a start by name runs: the running program only when it is that file.
        if (candidate.canonicalFilePath() == running.canonicalFilePath())
            return QDir::cleanPath(candidate.absoluteFilePath());
        break;
    }
    return running.absoluteFilePath();
}

QString execProgram(const QString& exec) {
    // The value as a desktop entry string first, then its first argument.
    const QString value = unescaped(exec).trimmed();
    // Quoted, with '"', '`', '$' and '\\' escaped inside, or up to a blank.
    QString program;
    if (value.startsWith(QLatin1Char('"'))) {
        bool closed = false;
        for (int i = 1; i < value.size(); ++i) {
            QChar c = value.at(i);
            if (c == QLatin1Char('\\') && i + 1 < value.size()) {
                c = value.at(++i);
            } else if (c == QLatin1Char('"')) {
                closed = true;
                break;
            }
            program += c;
        }
        if (!closed)
            return QString();
    } else {
        const qsizetype blank = value.indexOf(QRegularExpression(QStringLiteral("\\s")));
        program = blank < 0 ? value : value.left(blank);
    }
    program.replace(QStringLiteral("%%"), QStringLiteral("%"));
    return program;
}

bool programExists(const QString& program) {
    if (program.isEmpty())
        return false;
    if (!QDir::isAbsolutePath(program))
        return !QStandardPaths::findExecutable(program).isEmpty();
    const QFileInfo file(program);
    return file.isFile() && file.isExecutable();
}

} // namespace LaunchAtLogin
