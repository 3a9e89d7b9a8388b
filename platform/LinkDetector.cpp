#include "platform/LinkDetector.h"

#include <QRegularExpression>

namespace {

// One alternation so that matches come in text order and never overlap: a scheme address, a
// "www." host, a bare host with a top-level domain and a path. The last two must not continue a
// word, an e-mail address or a longer host.
const QRegularExpression& linkPattern() {
    static const QRegularExpression pattern(
        QStringLiteral(R"((?<scheme>[A-Za-z][A-Za-z0-9+.\-]*://[^\s<>"]+))"
                       R"(|(?<![\w@.\-])(?<www>www\.[^\s<>"]+))"
                       R"(|(?<![\w@.\-/])(?<bare>[A-Za-z0-9](?:[A-Za-z0-9\-]*[A-Za-z0-9])?)"
                       R"((?:\.[A-Za-z0-9](?:[A-Za-z0-9\-]*[A-Za-z0-9])?)*\.[A-Za-z]{2,}/[^\s<>"]*))"),
        QRegularExpression::UseUnicodePropertiesOption);
    return pattern;
}

// Drops what closes the sentence around a link: trailing stops and quotes, and a closing bracket
// whose opening one is not part of the link.
QString trimTrailing(QString link) {
    static const QString stops = QStringLiteral(".,;:!?'\"");
    while (!link.isEmpty()) {
        const QChar last = link.back();
        if (stops.contains(last)) {
            link.chop(1);
            continue;
        }
        const QChar open = last == QLatin1Char(')')   ? QLatin1Char('(')
                           : last == QLatin1Char(']') ? QLatin1Char('[')
                           : last == QLatin1Char('}') ? QLatin1Char('{')
                                                      : QChar();
        if (!open.isNull() && link.count(open) < link.count(last)) {
            link.chop(1);
            continue;
        }
        break;
    }
    return link;
}

} // namespace

QList<QUrl> LinkDetector::links(const QString& text) {
    QList<QUrl> result;
    auto matches = linkPattern().globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        QString link = trimTrailing(match.captured(0));
        if (link.isEmpty())
            continue;
        if (match.capturedLength(QStringLiteral("scheme")) == 0)
            link.prepend(QStringLiteral("http://"));
        const QUrl url(link, QUrl::StrictMode);
        if (url.isValid() && !url.scheme().isEmpty())
            result.append(url);
    }
    return result;
}
