#include "Brimlark/core/SaveFailure.h"

#include <algorithm>

namespace SaveFailure {

QString reason(const QString& error) {
    QString text = error.trimmed();
    if (text.endsWith(u')')) {
        const qsizetype open = text.lastIndexOf(u'(');
        const QString inside = open >= 0 ? text.mid(open + 1, text.size() - open - 2).trimmed() : QString();
        // "Unknown error" says nothing: what comes before it does.
        if (inside.isEmpty() || inside.compare(QLatin1String("unknown error"), Qt::CaseInsensitive) == 0)
            text = text.left(std::max<qsizetype>(open, 0)).trimmed();
        else
            text = inside;
    }
    // The system's words start with a capital ("No space left on device"); a file name in them
    // keeps its letters.
    if (!text.isEmpty() && text.at(0).isUpper() && (text.size() == 1 || !text.at(1).isUpper()))
        text[0] = text.at(0).toLower();
    return text;
}

QString line(const QString& what, const QString& error) {
    if (error.isEmpty())
        return QString();
    return QStringLiteral("%1 could not be saved: %2").arg(what, reason(error));
}

} // namespace SaveFailure
