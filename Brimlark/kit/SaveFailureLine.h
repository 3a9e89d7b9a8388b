#pragma once

#include <QLabel>
#include <QString>

// The warning line a page shows while its service cannot save: "<what> could not be saved: <why>",
// in the theme's small warning look, wrapped, and hidden while saves succeed.
class SaveFailureLine : public QLabel {
public:
    SaveFailureLine(const QString& what, QWidget* parent);

    // Shows the line for `error`, or hides it when `error` is empty.
    void setError(const QString& error);

private:
    QString m_what;
};
