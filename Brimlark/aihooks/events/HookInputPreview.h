#pragma once

#include "Brimlark/aihooks/events/HookEvent.h"

#include <QString>

#include <optional>

// The start of what a tool call would run or touch, on one line: what tells two requests of the
// same tool apart ("rm -rf build/ && npm run build", not only "approve bash"). Taken from the
// event's tool input: its "command" (a text, or a list of words), else the file, path, address,
// pattern, query or prompt it names, else the input itself as compact JSON. Shown as given, not
// lower-cased: the letters of a command or a path are part of what is approved.
class HookInputPreview {
public:
    // The most characters shown, the ellipsis included: in the closed notch's pill, on one line;
    // on a row of the hooks page and in a notification's body, where the text wraps, so that two
    // commands that begin alike still read apart; and in a row's tooltip, where the input is read
    // whole when the row cuts it.
    static constexpr qsizetype maxLength = 72;
    static constexpr qsizetype maxWrappedLength = 280;
    static constexpr qsizetype maxToolTipLength = 2000;

    // Nothing when the event carries no tool input, or only an empty one.
    static std::optional<QString> of(const HookEvent& event, qsizetype most = maxLength);
    // `text` on one line (every run of white space one space, none at the ends), cut to `most`
    // characters with "…" when longer.
    static QString oneLine(const QString& text, qsizetype most = maxLength);
};
