#include "Brimlark/quickactions/QuickActionsStore.h"

#include "Brimlark/core/EnumText.h"
#include "platform/UserDefaults.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

QuickActionsStore::QuickActionsStore(UserDefaults& defaults, QObject* parent)
    : QObject(parent), m_defaults(defaults) {
    load();
}

void QuickActionsStore::load() {
    const QString key = QString::fromLatin1(storageKey);
    m_actions = QuickAction::defaultList();
    if (!m_defaults.contains(key))
        return;
    // Read as data; a value kept as text reads as its UTF-8 bytes.
    std::optional<QList<QuickAction>> stored = decode(m_defaults.data(key));
    if (!stored)
        return;
    QSet<QuickAction::Kind> present;
    for (const QuickAction& action : std::as_const(*stored))
        present.insert(action.kind);
    for (QuickAction::Kind kind : allCases<QuickAction::Kind>()) {
        if (!present.contains(kind))
            stored->append(QuickAction{kind, true});
    }
    m_actions = *stored;
}

void QuickActionsStore::setActions(const QList<QuickAction>& actions) {
    m_actions = actions;
    emit actionsChanged();
    save();
}

QList<QuickAction> QuickActionsStore::enabledActions() const {
    QList<QuickAction> shown;
    for (const QuickAction& action : m_actions) {
        if (action.enabled && action.kind != QuickAction::Kind::focus)
            shown.append(action);
    }
    return shown;
}

void QuickActionsStore::toggle(QuickAction::Kind kind) {
    for (qsizetype i = 0; i < m_actions.size(); ++i) {
        if (m_actions.at(i).kind == kind) {
            QList<QuickAction> changed = m_actions;
            changed[i].enabled = !changed[i].enabled;
            setActions(changed);
            return;
        }
    }
}

void QuickActionsStore::save() {
    m_defaults.setData(QString::fromLatin1(storageKey), encode(m_actions));
}

void QuickActionsStore::setActiveKinds(const QSet<QuickAction::Kind>& kinds) {
    m_activeKinds = kinds;
    emit activeKindsChanged();
}

void QuickActionsStore::insertActiveKind(QuickAction::Kind kind) {
    QSet<QuickAction::Kind> kinds = m_activeKinds;
    kinds.insert(kind);
    setActiveKinds(kinds);
}

void QuickActionsStore::removeActiveKind(QuickAction::Kind kind) {
    QSet<QuickAction::Kind> kinds = m_activeKinds;
    kinds.remove(kind);
    setActiveKinds(kinds);
}

QByteArray QuickActionsStore::encode(const QList<QuickAction>& actions) {
    // Written by hand to keep the members in their declared order; the raw values are plain ASCII
    // names that need no escaping.
    QByteArray json("[");
    for (qsizetype i = 0; i < actions.size(); ++i) {
        if (i > 0)
            json += ',';
        json += "{\"kind\":\"" + rawValue(actions.at(i).kind).toLatin1() +
                "\",\"enabled\":" + (actions.at(i).enabled ? "true" : "false") + '}';
    }
    json += ']';
    return json;
}

std::optional<QList<QuickAction>> QuickActionsStore::decode(const QByteArray& bytes) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QList<QuickAction> actions;
    const QJsonArray array = document.array();
    for (const QJsonValue& element : array) {
        if (!element.isObject())
            return std::nullopt;
        const QJsonObject object = element.toObject();
        const QJsonValue kindValue = object.value(QLatin1String("kind"));
        const QJsonValue enabledValue = object.value(QLatin1String("enabled"));
        if (!kindValue.isString() || !enabledValue.isBool())
            return std::nullopt;
        const QString text = kindValue.toString();
        const std::optional<QuickAction::Kind> kind = enumFromRawValue<QuickAction::Kind>(text);
        // The lookup goes through Latin-1 bytes, which a NUL or a non-Latin-1 letter can fool:
        // the text must spell the raw value exactly.
        if (!kind || rawValue(*kind) != text)
            return std::nullopt;
        actions.append(QuickAction{*kind, enabledValue.toBool()});
    }
    return actions;
}
