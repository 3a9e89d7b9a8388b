#include "Brimlark/kit/SaveFailureLine.h"

#include "Brimlark/core/SaveFailure.h"
#include "Brimlark/kit/BrimlarkTheme.h"

SaveFailureLine::SaveFailureLine(const QString& what, QWidget* parent) : QLabel(parent), m_what(what) {
    setTextFormat(Qt::PlainText);
    setFont(BrimlarkTheme::monoMedium11());
    setForegroundRole(QPalette::WindowText);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, BrimlarkTheme::warning());
    setPalette(palette);
    setObjectName(QStringLiteral("saveLine"));
    setWordWrap(true);
}

void SaveFailureLine::setError(const QString& error) {
    setText(SaveFailure::line(m_what, error));
    setVisible(!error.isEmpty());
}
