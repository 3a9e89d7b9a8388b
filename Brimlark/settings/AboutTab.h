#pragma once

#include <QWidget>

class QLabel;

// The settings window's about page: the program's name, its version and build, and what it is for.
class AboutTab : public QWidget {
    Q_OBJECT
public:
    // The version and build this program was built as; empty when the build could not tell.
    static QString builtVersion();
    static QString builtBuild();

    explicit AboutTab(const QString& version = builtVersion(), const QString& build = builtBuild(),
                      QWidget* parent = nullptr);

    // "v" + version + " (build " + build + ")", with "?" for a missing part.
    static QString versionLine(const QString& version, const QString& build);
    QString versionText() const;

private:
    QLabel* m_version;
};
