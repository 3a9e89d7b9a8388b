#include "Brimlark/aihooks/events/LooseEventMapping.h"

#include "Brimlark/aihooks/events/HookDate.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimeZone>

#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace {

using Source = HookEvent::Source;
using Status = HookEvent::Status;

// The latest instant a hook event may carry: 9999-12-31T23:59:59Z.
constexpr double maxSecondsSinceEpoch = 253402300799.0;

// The alias rule: the first key that occurs decides, whatever its value.
std::optional<QString> aliasText(const QJsonObject& object, std::initializer_list<QLatin1String> keys) {
    for (const QLatin1String key : keys) {
        const auto it = object.constFind(key);
        if (it != object.constEnd())
            return LooseEventMapping::stringValue(it.value());
    }
    return std::nullopt;
}

std::optional<QJsonValue> aliasValue(const QJsonObject& object, std::initializer_list<QLatin1String> keys) {
    for (const QLatin1String key : keys) {
        const auto it = object.constFind(key);
        if (it != object.constEnd())
            return it.value();
    }
    return std::nullopt;
}

std::optional<QString> ownText(const QJsonObject& object, QLatin1String key) {
    return LooseEventMapping::stringValue(object.value(key));
}

// Reads the whole text as a C-locale floating-point number, whatever the process locale.
std::optional<double> parseCNumber(const QString& text) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    if (text.isEmpty() || !cLocale)
        return std::nullopt;
    for (const QChar c : text)
        if (c.unicode() > 0x7f)
            return std::nullopt;
    const QByteArray bytes = text.toLatin1();
    char* end = nullptr;
    const double value = strtod_l(bytes.constData(), &end, cLocale);
    if (end != bytes.constData() + bytes.size())
        return std::nullopt;
    return value;
}

QString lastPathComponent(const QString& path) {
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    if (trimmed == QLatin1String("/"))
        return trimmed;
    const qsizetype slash = trimmed.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? trimmed : trimmed.mid(slash + 1);
}

std::optional<QString> detailFor(const QJsonObject& object, const std::optional<QString>& message,
                                 const std::optional<QString>& eventName,
                                 const std::optional<QString>& notificationType,
                                 const std::optional<QString>& cwd, const QString& title) {
    if (std::optional<QString> own = ownText(object, QLatin1String("detail")))
        return own;
    if (message && *message != title)
        return message;
    QStringList parts;
    if (eventName)
        parts.append(*eventName);
    if (notificationType)
        parts.append(*notificationType);
    if (cwd)
        parts.append(lastPathComponent(*cwd));
    if (parts.isEmpty())
        return std::nullopt;
    return parts.join(QStringLiteral(" \u2022 "));
}

// Any JSON value as compact text; objects come out with their keys sorted.
QByteArray compactJson(const QJsonValue& value) {
    if (value.isObject())
        return QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    if (value.isArray())
        return QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact);
    // A scalar: wrapped in a one-element array and unwrapped again.
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

// A "Notification" of type "idle_prompt" whose status is absent or the bridge's default "working".
bool waitsForPrompt(const HookEvent& event) {
    if (!event.eventName || event.eventName->compare(QLatin1String("notification"), Qt::CaseInsensitive) != 0)
        return false;
    if (!event.notificationType || *event.notificationType != QLatin1String("idle_prompt"))
        return false;
    return !event.rawStatus || event.rawStatus->compare(QLatin1String("working"), Qt::CaseInsensitive) == 0;
}

} // namespace

std::optional<QString> LooseEventMapping::stringValue(const QJsonValue& value) {
    switch (value.type()) {
    case QJsonValue::String: {
        QString text = value.toString().trimmed();
        if (text.isEmpty())
            return std::nullopt;
        return text;
    }
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QJsonValue::Double: {
        const double number = value.toDouble();
        const qint64 whole = value.toInteger(0);
        if (whole != 0 || number == 0.0)
            return QString::number(whole);
        return QString::number(number, 'g', QLocale::FloatingPointShortest);
    }
    default:
        return std::nullopt;
    }
}

HookEvent::Source LooseEventMapping::inferSource(const QJsonObject& object) {
    static const QLatin1String keys[] = {
        QLatin1String("source"),  QLatin1String("client"), QLatin1String("app_name"), QLatin1String("app"),
        QLatin1String("agent"),   QLatin1String("origin"), QLatin1String("provider"), QLatin1String("title"),
        QLatin1String("message"), QLatin1String("detail")};
    for (const QLatin1String key : keys) {
        const std::optional<QString> text = ownText(object, key);
        if (!text)
            continue;
        const QString lower = text->toLower();
        if (lower.contains(QLatin1String("claude")))
            return Source::claude;
        if (lower.contains(QLatin1String("codex")) || lower.contains(QLatin1String("openai")) ||
            lower.contains(QLatin1String("chatgpt")))
            return Source::codex;
    }
    const QString cwd = ownText(object, QLatin1String("cwd")).value_or(QString()).toLower();
    if (cwd.contains(QLatin1String(".codex")))
        return Source::codex;
    if (cwd.contains(QLatin1String(".claude")))
        return Source::claude;
    const QString event = ownText(object, QLatin1String("event")).value_or(QString()).toLower();
    if (event == QLatin1String("permissionrequest") || event == QLatin1String("precompact") ||
        event == QLatin1String("postcompact") || event == QLatin1String("permissiondenied"))
        return Source::claude;
    return Source::other;
}

HookEvent::Status LooseEventMapping::inferStatus(const std::optional<QString>& rawStatus,
                                                 const std::optional<QString>& eventName) {
    const auto oneOf = [](const QString& text, std::initializer_list<QLatin1String> words) {
        for (const QLatin1String word : words)
            if (text == word)
                return true;
        return false;
    };
    const auto containsAny = [](const QString& text, std::initializer_list<QLatin1String> words) {
        for (const QLatin1String word : words)
            if (text.contains(word))
                return true;
        return false;
    };

    if (rawStatus) {
        const QString word = rawStatus->trimmed().toLower();
        if (word == QLatin1String("idle"))
            return Status::idle;
        if (oneOf(word, {QLatin1String("waiting_for_approval"), QLatin1String("approval_requested"),
                         QLatin1String("needs_input"), QLatin1String("asking"), QLatin1String("prompting"),
                         QLatin1String("waiting_for_input")}))
            return Status::asking;
        if (oneOf(word, {QLatin1String("running_tool"), QLatin1String("processing"),
                         QLatin1String("starting"), QLatin1String("working"), QLatin1String("running"),
                         QLatin1String("in_progress"), QLatin1String("open")}))
            return Status::working;
        if (oneOf(word, {QLatin1String("finished"), QLatin1String("done"), QLatin1String("completed"),
                         QLatin1String("complete"), QLatin1String("success"), QLatin1String("succeeded")}))
            return Status::finished;
        if (oneOf(word, {QLatin1String("error"), QLatin1String("failed"), QLatin1String("failure"),
                         QLatin1String("denied")}))
            return Status::error;
    }

    const QString name = eventName.value_or(QString()).toLower();
    if (name == QLatin1String("permissionrequest"))
        return Status::asking;
    if (oneOf(name, {QLatin1String("permissiondenied"), QLatin1String("posttoolusefailure"),
                     QLatin1String("stopfailure")}))
        return Status::error;
    if (oneOf(name,
              {QLatin1String("sessionstart"), QLatin1String("pretooluse"), QLatin1String("subagentstart"),
               QLatin1String("notification"), QLatin1String("userpromptsubmit")}))
        return Status::working;
    if (oneOf(name,
              {QLatin1String("posttooluse"), QLatin1String("stop"), QLatin1String("sessionend"),
               QLatin1String("subagentstop"), QLatin1String("precompact"), QLatin1String("postcompact")}))
        return Status::finished;

    if (containsAny(name, {QLatin1String("error"), QLatin1String("fail"), QLatin1String("denied")}))
        return Status::error;
    if (containsAny(name,
                    {QLatin1String("ask"), QLatin1String("approval"), QLatin1String("permissionrequest")}))
        return Status::asking;
    if (containsAny(name, {QLatin1String("finish"), QLatin1String("complete"), QLatin1String("sessionend"),
                           QLatin1String("stop")}))
        return Status::finished;
    if (containsAny(name, {QLatin1String("start"), QLatin1String("notification")}))
        return Status::working;
    if (!name.contains(QLatin1String("tooluse")))
        return Status::working;
    if (name.contains(QLatin1String("post")))
        return Status::finished;
    return Status::working;
}

QString LooseEventMapping::makeTitle(const QJsonObject& object, const std::optional<QString>& rawStatus,
                                     const std::optional<QString>& eventName,
                                     const std::optional<QString>& toolName, HookEvent::Source source) {
    if (std::optional<QString> own = ownText(object, QLatin1String("title")))
        return *own;
    const QString tool = toolName.value_or(QString()).toLower();
    const QString event = eventName.value_or(QString()).toLower();
    const auto named = [&](QLatin1String name) { return eventName && *eventName == name; };

    switch (inferStatus(rawStatus, eventName)) {
    case Status::idle:
        return eventName ? event : QStringLiteral("idle");
    case Status::asking:
        if (named(QLatin1String("PermissionRequest")))
            return toolName ? QStringLiteral("approve ") + tool : QStringLiteral("approval needed");
        return toolName ? tool + QStringLiteral(" needs attention") : QStringLiteral("waiting for input");
    case Status::working:
        if (toolName)
            return tool + QStringLiteral(" running");
        if (!eventName)
            return QStringLiteral("hook event");
        if (named(QLatin1String("SessionStart")))
            return source == Source::codex ? QStringLiteral("codex session started")
                                           : QStringLiteral("claude session started");
        if (named(QLatin1String("Notification")))
            return QStringLiteral("notification");
        return event;
    case Status::finished:
        if (toolName)
            return tool + QStringLiteral(" complete");
        if (!eventName)
            return QStringLiteral("finished");
        if (named(QLatin1String("SessionEnd")))
            return source == Source::codex ? QStringLiteral("codex session ended")
                                           : QStringLiteral("claude session ended");
        return event;
    case Status::error:
        if (named(QLatin1String("PermissionDenied")))
            return QStringLiteral("permission denied");
        if (toolName)
            return tool + QStringLiteral(" failed");
        if (!eventName)
            return QStringLiteral("hook error");
        return event;
    }
    return event;
}

std::optional<QDateTime> LooseEventMapping::parseDate(const QJsonValue& value) {
    const std::optional<QString> text = stringValue(value);
    if (!text)
        return std::nullopt;
    if (std::optional<QDateTime> instant = HookDate::parseIso8601(*text, true))
        return instant;
    std::optional<double> number;
    if (value.isDouble())
        number = value.toDouble();
    else
        number = parseCNumber(*text);
    if (!number || std::isnan(*number) || *number <= 0.0)
        return std::nullopt;
    const double seconds = *number > 1e12 ? *number / 1000.0 : *number;
    if (!(seconds <= maxSecondsSinceEpoch))
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(qint64(std::llround(seconds * 1000.0)), QTimeZone::utc());
}

std::optional<QString> LooseEventMapping::firstString(const QJsonObject& object, const QStringList& keys) {
    for (const QString& key : keys) {
        if (std::optional<QString> text = stringValue(object.value(key)))
            return text;
    }
    return std::nullopt;
}

std::optional<QUrl> LooseEventMapping::firstURL(const QJsonObject& object, const QStringList& keys) {
    for (const QString& key : keys) {
        const std::optional<QString> text = stringValue(object.value(key));
        if (!text)
            continue;
        const QUrl url(*text, QUrl::StrictMode);
        if (url.isValid())
            return url;
    }
    return std::nullopt;
}

std::optional<HookEvent::Action> LooseEventMapping::parseAction(HookEvent::Action::Kind kind,
                                                                const QJsonObject& object) {
    struct Keys {
        QStringList titles, commands, urls, nested;
        QString defaultTitle;
    };
    static const Keys approve{{QStringLiteral("approve_label"), QStringLiteral("approve_title"),
                               QStringLiteral("allow_label"), QStringLiteral("allow_title")},
                              {QStringLiteral("approve_command"), QStringLiteral("approveCommand"),
                               QStringLiteral("allow_command"), QStringLiteral("allowCommand")},
                              {QStringLiteral("approve_url"), QStringLiteral("approveURL"),
                               QStringLiteral("allow_url"), QStringLiteral("allowURL")},
                              {QStringLiteral("approve"), QStringLiteral("allow")},
                              QStringLiteral("approve")};
    static const Keys deny{{QStringLiteral("deny_label"), QStringLiteral("deny_title"),
                            QStringLiteral("reject_label"), QStringLiteral("reject_title")},
                           {QStringLiteral("deny_command"), QStringLiteral("denyCommand"),
                            QStringLiteral("reject_command"), QStringLiteral("rejectCommand")},
                           {QStringLiteral("deny_url"), QStringLiteral("denyURL"),
                            QStringLiteral("reject_url"), QStringLiteral("rejectURL")},
                           {QStringLiteral("deny"), QStringLiteral("reject")},
                           QStringLiteral("deny")};
    static const QStringList nestedTitles{QStringLiteral("label"), QStringLiteral("title")};
    static const QStringList nestedCommands{QStringLiteral("command"), QStringLiteral("shell"),
                                            QStringLiteral("cmd")};
    static const QStringList nestedUrls{QStringLiteral("url"), QStringLiteral("href"),
                                        QStringLiteral("link")};

    const Keys& keys = kind == HookEvent::Action::Kind::approve ? approve : deny;
    const QString flatTitle = firstString(object, keys.titles).value_or(keys.defaultTitle);
    const std::optional<QString> flatCommand = firstString(object, keys.commands);
    const std::optional<QUrl> flatUrl = firstURL(object, keys.urls);
    if (flatCommand || flatUrl)
        return HookEvent::Action{kind, flatTitle, flatCommand, flatUrl};

    const QJsonValue actions = object.value(QLatin1String("actions"));
    if (!actions.isObject())
        return std::nullopt;
    const QJsonObject actionObject = actions.toObject();
    for (const QString& name : keys.nested) {
        const QJsonValue entry = actionObject.value(name);
        if (!entry.isObject())
            continue;
        const QJsonObject nested = entry.toObject();
        const std::optional<QString> command = firstString(nested, nestedCommands);
        const std::optional<QUrl> url = firstURL(nested, nestedUrls);
        if (command || url)
            return HookEvent::Action{kind, firstString(nested, nestedTitles).value_or(flatTitle), command,
                                     url};
    }
    return std::nullopt;
}

QString LooseEventMapping::secondsText(const QDateTime& instant) {
    const double seconds = double(instant.toMSecsSinceEpoch()) / 1000.0;
    QString text = QString::number(seconds, 'f', QLocale::FloatingPointShortest);
    if (!text.contains(QLatin1Char('.')))
        text += QLatin1String(".0");
    return text;
}

HookEvent LooseEventMapping::eventFromDictionary(const QJsonObject& object, const QDateTime& now) {
    HookEvent event;
    event.source = inferSource(object);
    event.rawStatus = aliasText(object, {QLatin1String("status")});
    event.eventName =
        aliasText(object, {QLatin1String("event"), QLatin1String("hook_event"), QLatin1String("event_name")});
    event.toolName = aliasText(object, {QLatin1String("tool"), QLatin1String("tool_name")});
    event.toolUseID = aliasText(object, {QLatin1String("tool_use_id"), QLatin1String("toolUseId")});
    event.sessionID = aliasText(object, {QLatin1String("session_id"), QLatin1String("sessionId")});
    event.cwd = aliasText(
        object, {QLatin1String("cwd"), QLatin1String("workdir"), QLatin1String("working_directory")});
    event.message = aliasText(object, {QLatin1String("message"), QLatin1String("description")});
    event.notificationType =
        aliasText(object, {QLatin1String("notification_type"), QLatin1String("notificationType")});
    event.appName =
        aliasText(object, {QLatin1String("app_name"), QLatin1String("app"), QLatin1String("client")});

    const QJsonValue toolInput = object.value(QLatin1String("tool_input"));
    if (!toolInput.isUndefined() && !toolInput.isNull())
        event.toolInput = compactJson(toolInput);

    // A notification that the tool waits for the user's next prompt asks, whatever status word the
    // bridge gave it from the event name alone.
    std::optional<QString> statusWord = event.rawStatus;
    if (waitsForPrompt(event))
        statusWord = QStringLiteral("waiting_for_input");

    const QString title = makeTitle(object, statusWord, event.eventName, event.toolName, event.source);
    event.title = title;
    event.detail =
        detailFor(object, event.message, event.eventName, event.notificationType, event.cwd, title);

    std::optional<QDateTime> date;
    if (const std::optional<QJsonValue> dateValue = aliasValue(
            object, {QLatin1String("timestamp"), QLatin1String("created_at"), QLatin1String("time")}))
        date = parseDate(*dateValue);
    event.timestamp = date.value_or(now);

    const std::optional<QString> idText = ownText(object, QLatin1String("id"));
    if (idText && HookEvent::isUuidText(*idText)) {
        event.id = QUuid::fromString(*idText);
    } else {
        const QStringList parts{HookEvent::sourceText(event.source),
                                event.rawStatus.value_or(QString()),
                                event.eventName.value_or(QString()),
                                event.toolUseID.value_or(QString()),
                                event.sessionID.value_or(QString()),
                                title,
                                event.detail.value_or(QString()),
                                date ? secondsText(*date) : QString(),
                                ownText(object, QLatin1String("message")).value_or(QString())};
        const QByteArray digest =
            QCryptographicHash::hash(parts.join(QLatin1Char('|')).toUtf8(), QCryptographicHash::Sha256);
        event.id = QUuid::fromRfc4122(QByteArrayView(digest).first(16));
    }

    event.status = inferStatus(statusWord, event.eventName);
    event.approveAction = parseAction(HookEvent::Action::Kind::approve, object);
    event.denyAction = parseAction(HookEvent::Action::Kind::deny, object);
    return event;
}
