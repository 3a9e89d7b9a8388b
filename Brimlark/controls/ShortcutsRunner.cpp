#include "Brimlark/controls/ShortcutsRunner.h"

#include <QProcess>

#include <memory>

void ShortcutsRunner::runShortcut(const QString& name, const std::optional<QString>& input,
                                  std::function<void(int)> done) {
    auto* process = new QProcess(this);
    QStringList arguments{QStringLiteral("shortcuts"), QStringLiteral("run"), name};
    if (input)
        arguments << QStringLiteral("--input") << *input;
    // Both streams go to the null device so a chatty tool can never block on a full pipe.
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    auto finish = std::make_shared<std::function<void(int)>>(std::move(done));
    connect(process, &QProcess::finished, this, [process, finish](int exitCode, QProcess::ExitStatus status) {
        process->deleteLater();
        if (*finish) {
            auto callback = std::move(*finish);
            *finish = nullptr;
            callback(status == QProcess::NormalExit ? exitCode : -1);
        }
    });
    connect(process, &QProcess::errorOccurred, this, [process, finish](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        process->deleteLater();
        if (*finish) {
            auto callback = std::move(*finish);
            *finish = nullptr;
            callback(-1);
        }
    });
    process->start(QStringLiteral("/usr/bin/env"), arguments);
}

void ShortcutsRunner::runShortcutCandidates(const QStringList& names, const std::optional<QString>& input,
                                            std::function<void(int)> done) {
    if (names.isEmpty()) {
        done(-1);
        return;
    }
    const QString first = names.first();
    const QStringList rest = names.mid(1);
    runShortcut(first, input, [this, rest, input, done](int status) {
        if (status == 0 || rest.isEmpty()) {
            done(status);
            return;
        }
        runShortcutCandidates(rest, input, done);
    });
}
