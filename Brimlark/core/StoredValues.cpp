#include "Brimlark/core/StoredValues.h"

#include <QRegularExpression>

namespace StoredValues {

std::optional<QUuid> parseId(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    return QUuid::fromString(text);
}

std::optional<QByteArray> parseBase64(const QString& text) {
    const QByteArray encoded = text.toLatin1();
    if (QString::fromLatin1(encoded) != text)
        return std::nullopt;
    auto decoded = QByteArray::fromBase64Encoding(encoded, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.toBase64() != encoded)
        return std::nullopt;
    return decoded.decoded;
}

} // namespace StoredValues
