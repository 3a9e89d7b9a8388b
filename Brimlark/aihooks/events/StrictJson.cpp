#include "Brimlark/aihooks/events/StrictJson.h"

#include <QJsonValue>

namespace StrictJson {

void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

std::optional<QString> requiredText(const QJsonObject& object, const QString& key, QString* error) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull()) {
        setError(error, QStringLiteral("\"%1\" is missing").arg(key));
        return std::nullopt;
    }
    if (!value.isString()) {
        setError(error, QStringLiteral("\"%1\" is not a text").arg(key));
        return std::nullopt;
    }
    return value.toString();
}

bool optionalText(const QJsonObject& object, const QString& key, std::optional<QString>& out,
                  QString* error) {
    const QJsonValue value = object.value(key);
    out.reset();
    if (value.isUndefined() || value.isNull())
        return true;
    if (!value.isString()) {
        setError(error, QStringLiteral("\"%1\" is not a text").arg(key));
        return false;
    }
    out = value.toString();
    return true;
}

} // namespace StrictJson
