#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QMetaType>
#include <QString>
#include <QUrl>

#include <optional>

// What a hook event's "approve" or "deny" runs: an address to open, else a shell command. Known
// as HookEvent::Action.
struct HookEventAction {
    Q_GADGET
public:
    enum class Kind { approve, deny };
    Q_ENUM(Kind)

    Kind kind = Kind::approve;
    // The button's label text.
    QString title;
    std::optional<QString> command;
    std::optional<QUrl> url;

    friend bool operator==(const HookEventAction& a, const HookEventAction& b) {
        return a.kind == b.kind && a.title == b.title && a.command == b.command && a.url == b.url;
    }
    friend bool operator!=(const HookEventAction& a, const HookEventAction& b) { return !(a == b); }

    // Strict decoding: "kind" and "title" required, "command" and "url" optional (null means
    // absent); a member of another JSON type, a kind that is not "approve" or "deny", or a URL
    // the parser rejects fails. On failure returns nothing and, when `error` is given, says why.
    static std::optional<HookEventAction> fromJson(const QJsonValue& value, QString* error = nullptr);
    QJsonObject toJson() const;

    // The raw text of a kind ("approve", "deny"), and back.
    static QString kindText(Kind kind);
    static std::optional<Kind> kindFromText(const QString& text);
};

size_t qHash(const HookEventAction& action, size_t seed = 0) noexcept;
