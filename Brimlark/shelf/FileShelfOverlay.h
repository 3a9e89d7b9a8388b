#pragma once

#include <QList>
#include <QUrl>
#include <QWidget>

class FileShelfDropHighlight;
class FileShelfService;
class QLabel;
class ShelfButton;
class QMimeData;

// The file shelf's drop area over the basic panel: a summary row at the top while the shelf holds
// files ("3 on shelf", the hint, "airdrop all") or the last drop left files out (and says why)
// and, while files are dragged over the panel, a dashed highlight drawn over everything, the row
// included. Only the summary row takes clicks; everywhere else they reach the panel below. The
// panel's root view hands it the drags, which reach it over the whole panel.
class FileShelfOverlay : public QWidget {
    Q_OBJECT
public:
    explicit FileShelfOverlay(FileShelfService& shelf, QWidget* parent = nullptr);

    bool isTargeted() const { return m_isTargeted; }
    void setTargeted(bool targeted);
    // The summary row; hidden while the shelf is empty.
    QWidget* summaryRow() const { return m_summary; }
    // "the shelf could not be saved: <reason>" under the row while the last save failed, else empty.
    QString saveLine() const;

    // The local files a drag carries, in order; anything else (web links) is left out.
    static QList<QUrl> localFiles(const QMimeData* mime);
    // Adds the dropped local files to the shelf in one go; true when the shelf took one.
    bool handleDrop(const QList<QUrl>& urls);
    // Sends every file on the shelf; a refusal is not reported.
    void airdropAll();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    void updateHitArea();
    // Shows what the last drop left out and why the shelf is not saved on one line under the row,
    // cut to its width, each whole in its tooltip; hidden when all is well.
    void showNotice();

    FileShelfService& m_shelf;
    bool m_isTargeted = false;
    QWidget* m_summary;
    QLabel* m_count;
    QLabel* m_hint;
    QWidget* m_row = nullptr;
    QLabel* m_notice = nullptr;
    QString m_refusedText;
    QString m_saveText;
    ShelfButton* m_all;
    FileShelfDropHighlight* m_highlight;
};
