#pragma once

#include <QList>
#include <QWidget>

class AppBatchButton;
class AppGridTile;
class AppLauncherService;
class QLabel;
class QScrollArea;
class QVBoxLayout;
class SaveFailureLine;

// The app batch page: a header with "add app" and the "launch all" pill, then a hint on building a
// batch while it is empty, a list of one card per application for one to three, or a grid of tiles
// from four on. Each application shows its icon and the result of the last launch-all. It follows
// the batch as it changes.
class AppLauncherView : public QWidget {
    Q_OBJECT
public:
    enum class Content { empty, list, grid };

    explicit AppLauncherView(AppLauncherService& service, QWidget* parent = nullptr);

    Content content() const { return m_content; }
    AppBatchButton* addButton() const { return m_add; }
    AppBatchButton* launchAllButton() const { return m_launchAll; }
    QList<AppGridTile*> tiles() const { return m_tiles; }
    // "the app batch could not be saved: <reason>" while the last save failed, else empty (and hidden).
    QString saveLine() const;

    static constexpr int listLimit = 3;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rebuild();
    void updateLaunchAll();
    QWidget* makeRow(int index);
    // Places the tiles in as many columns of 78 to 98 points as fit, centred.
    void layOutGrid();

    AppLauncherService& m_service;
    Content m_content = Content::empty;
    AppBatchButton* m_add;
    AppBatchButton* m_launchAll;
    SaveFailureLine* m_saveLine;
    QWidget* m_empty;
    QScrollArea* m_listScroll;
    QVBoxLayout* m_rows;
    QScrollArea* m_gridScroll;
    QWidget* m_grid;
    QList<AppGridTile*> m_tiles;
};
