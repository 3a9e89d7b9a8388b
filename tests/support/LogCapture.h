#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Collects the lines logged while it lives, as "<level> <text>" ("error", "warning", "debug",
// "info"), and hands every message on to the handler it replaced.
class LogCapture {
public:
    LogCapture() {
        lines().clear();
        previous() = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
                const char* level = type == QtCriticalMsg  ? "error"
                                    : type == QtWarningMsg ? "warning"
                                    : type == QtDebugMsg   ? "debug"
                                                           : "info";
                lines().append(QStringLiteral("%1 %2").arg(QLatin1String(level), text));
                if (previous())
                    previous()(type, context, text);
            });
    }
    ~LogCapture() { qInstallMessageHandler(previous()); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The lines of this level.
    QStringList at(const QString& level) const {
        return lines().filter(QRegularExpression(QLatin1Char('^') + level + QLatin1Char(' ')));
    }
    static QStringList& lines() {
        static QStringList captured;
        return captured;
    }

private:
    static QtMessageHandler& previous() {
        static QtMessageHandler handler = nullptr;
        return handler;
    }
};
