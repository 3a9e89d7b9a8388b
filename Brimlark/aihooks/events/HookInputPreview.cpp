#include "Brimlark/aihooks/events/HookInputPreview.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace {

// The words of a command given as a list ("ls", "-la"), joined by spaces; nothing for a list
// holding anything but texts.
std::optional<QString> joinedWords(const QJsonArray& words) {
    QStringList parts;
    for (const QJsonValue& word : words) {
        if (!word.isString())
            return std::nullopt;
        parts.append(word.toString());
    }
    return parts.join(QLatin1Char(' '));
}

std::optional<QString> namedInput(const QJsonObject& input) {
    const QJsonValue command = input.value(QLatin1String("command"));
    if (command.isString())
        return command.toString();
    if (command.isArray())
        if (std::optional<QString> words = joinedWords(command.toArray()))
            return words;
    for (const char* key : {"file_path", "notebook_path", "path", "url", "pattern", "query", "prompt"}) {
        const QJsonValue value = input.value(QLatin1String(key));
        if (value.isString() && !value.toString().trimmed().isEmpty())
            return value.toString();
    }
    return std::nullopt;
}

} // namespace

QString HookInputPreview::oneLine(const QString& text, qsizetype most) {
    const QString line = text.simplified();
    if (line.size() <= most)
        return line;
    qsizetype cut = most - 1;
    // Never split a surrogate pair.
    if (line.at(cut - 1).isHighSurrogate())
        --cut;
    QString shown = line.left(cut);
    while (!shown.isEmpty() && shown.back().isSpace())
        shown.chop(1);
    return shown + QChar(0x2026);
}

std::optional<QString> HookInputPreview::of(const HookEvent& event, qsizetype most) {
    if (!event.toolInput)
        return std::nullopt;
    // The input is kept as compact JSON; a scalar is wrapped to be read back.
    const QJsonDocument document = QJsonDocument::fromJson("[" + *event.toolInput + "]");
    const QJsonValue input = document.array().at(0);
    std::optional<QString> text;
    if (input.isObject())
        text = namedInput(input.toObject());
    else if (input.isString())
        text = input.toString();
    if (!text &&
        (input.isObject() ? !input.toObject().isEmpty() : input.isArray() && !input.toArray().isEmpty()))
        text = QString::fromUtf8(*event.toolInput);
    if (!text)
        return std::nullopt;
    const QString line = oneLine(*text, most);
    if (line.isEmpty())
        return std::nullopt;
    return line;
}
