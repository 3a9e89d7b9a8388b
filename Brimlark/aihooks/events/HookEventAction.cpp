#include "Brimlark/aihooks/events/HookEventAction.h"

#include "Brimlark/aihooks/events/StrictJson.h"
#include "Brimlark/core/EnumText.h"

#include <QHashFunctions>

namespace {

using StrictJson::setError;

} // namespace

std::optional<HookEventAction> HookEventAction::fromJson(const QJsonValue& value, QString* error) {
    if (!value.isObject()) {
        setError(error, QStringLiteral("an action is not an object"));
        return std::nullopt;
    }
    const QJsonObject object = value.toObject();
    HookEventAction action;
    const std::optional<QString> kindText = StrictJson::requiredText(object, QStringLiteral("kind"), error);
    if (!kindText)
        return std::nullopt;
    const std::optional<Kind> kind = kindFromText(*kindText);
    if (!kind) {
        setError(error, QStringLiteral("\"kind\" is not approve or deny"));
        return std::nullopt;
    }
    action.kind = *kind;
    const std::optional<QString> title = StrictJson::requiredText(object, QStringLiteral("title"), error);
    if (!title)
        return std::nullopt;
    action.title = *title;
    if (!StrictJson::optionalText(object, QStringLiteral("command"), action.command, error))
        return std::nullopt;
    std::optional<QString> urlText;
    if (!StrictJson::optionalText(object, QStringLiteral("url"), urlText, error))
        return std::nullopt;
    if (urlText) {
        const QUrl url(*urlText, QUrl::StrictMode);
        if (!url.isValid()) {
            setError(error, QStringLiteral("\"url\" is not an address"));
            return std::nullopt;
        }
        action.url = url;
    }
    return action;
}

QJsonObject HookEventAction::toJson() const {
    QJsonObject object;
    object.insert(QStringLiteral("kind"), kindText(kind));
    object.insert(QStringLiteral("title"), title);
    if (command)
        object.insert(QStringLiteral("command"), *command);
    if (url)
        object.insert(QStringLiteral("url"), url->toString(QUrl::FullyEncoded));
    return object;
}

QString HookEventAction::kindText(Kind kind) {
    return rawValue(kind);
}

std::optional<HookEventAction::Kind> HookEventAction::kindFromText(const QString& text) {
    return enumFromRawValue<Kind>(text);
}

namespace {

size_t hashOptional(size_t seed, const std::optional<QString>& value) {
    seed = qHashMulti(seed, value.has_value());
    return value ? qHashMulti(seed, *value) : seed;
}

} // namespace

size_t qHash(const HookEventAction& action, size_t seed) noexcept {
    seed = qHashMulti(seed, HookEventAction::kindText(action.kind), action.title);
    seed = hashOptional(seed, action.command);
    seed = qHashMulti(seed, action.url.has_value());
    return action.url ? qHashMulti(seed, *action.url) : seed;
}
