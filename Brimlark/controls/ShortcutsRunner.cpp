#include "Brimlark/controls/ShortcutsRunner.h"

#include "platform/ContextCallback.h"

#include <QProcess>

#include <memory>
#include <utility>

void ShortcutsRunner::runShortcut(const QString& name, const std::optional<QString>& input,
                                  const QObject* context, std::function<void(int)> done) {
    auto* process = new QProcess(this);
    QStringList arguments{QStringLiteral("shortcuts"), QStringLiteral("run"), name};
    if (input)
        arguments << QStringLiteral("--input") << *input;
    // Both streams go to the null device so a chatty tool can never block on a full pipe.
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    // The first answer counts: the callback is emptied as it runs.
    auto reply = std::make_shared<ContextCallback<void(int)>>(context, std::move(done));
    const auto answer = [process, reply](int status) {
        process->deleteLater();
        std::exchange(*reply, {})(status);
    };
    connect(process, &QProcess::finished, this, [answer](int exitCode, QProcess::ExitStatus status) {
        answer(status == QProcess::NormalExit ? exitCode : -1);
    });
    connect(process, &QProcess::errorOccurred, this, [answer](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            answer(-1);
    });
    process->start(QStringLiteral("/usr/bin/env"), arguments);
}

void ShortcutsRunner::runShortcutCandidates(const QStringList& names, const std::optional<QString>& input,
                                            const QObject* context, std::function<void(int)> done) {
    const ContextCallback<void(int)> reply(context, std::move(done));
    if (names.isEmpty()) {
        reply(-1);
        return;
    }
    const QString first = names.first();
    const QStringList rest = names.mid(1);
    // The next names are tried whatever became of the context; only the answer is tied to it.
    runShortcut(first, input, nullptr, [this, rest, input, reply](int status) {
        if (status == 0 || rest.isEmpty()) {
            reply(status);
            return;
        }
        runShortcutCandidates(rest, input, nullptr, reply);
    });
}
