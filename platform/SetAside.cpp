#include "platform/SetAside.h"

#include <QFile>
#include <QFileInfo>

namespace SetAside {

QString unreadablePath(const QString& path, const QDateTime& now) {
    const QString stamp = now.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    const QString base = path + QStringLiteral(".unreadable-") + stamp;
    QString aside = base;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = base + QLatin1Char('-') + QString::number(n);
    return aside;
}

QString moveUnreadable(const QString& path, const QDateTime& now, QString* error) {
    const QString aside = unreadablePath(path, now);
    QFile file(path);
    if (!file.rename(aside)) {
        if (error)
            *error = file.errorString();
        return {};
    }
    return aside;
}

} // namespace SetAside
