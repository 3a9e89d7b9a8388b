#pragma once

#include <QByteArray>
#include <QString>
#include <QUuid>

#include <optional>

// The strict readers of the values the shelf and the app batch store as text.
namespace StoredValues {

// The canonical 36-character form of a UUID, either case.
std::optional<QUuid> parseId(const QString& text);
// Standard Base64 with its padding, no line breaks or other characters; "" is empty data.
std::optional<QByteArray> parseBase64(const QString& text);

} // namespace StoredValues
