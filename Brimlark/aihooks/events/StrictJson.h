#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// Readers for the strict JSON form of hook events: a member of the wrong type fails the whole
// object, and null counts as absent. Each failure leaves a short reason in `error` (when given).
namespace StrictJson {

void setError(QString* error, const QString& text);

// A required text member: missing, null or another type fails.
std::optional<QString> requiredText(const QJsonObject& object, const QString& key, QString* error);

// An optional text member: missing or null gives nothing; a member of another type fails.
bool optionalText(const QJsonObject& object, const QString& key, std::optional<QString>& out, QString* error);

} // namespace StrictJson
