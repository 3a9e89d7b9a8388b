#include "Brimlark/aihooks/install/ClaudeVersion.h"

#include <QRegularExpression>

std::optional<ClaudeVersion> ClaudeVersion::parse(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("(\\d+)\\.(\\d+)\\.(\\d+)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    ClaudeVersion version;
    int* parts[] = {&version.major, &version.minor, &version.patch};
    for (int group = 1; group <= 3; ++group) {
        bool ok = false;
        *parts[group - 1] = match.captured(group).toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return version;
}
