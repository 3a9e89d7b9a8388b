#include "Brimlark/shelf/FileShelfListView.h"

#include "Brimlark/core/RelativeTimeFormatter.h"
#include "Brimlark/core/RelativeTimeRefresh.h"
#include "Brimlark/kit/BrimlarkCard.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/kit/SaveFailureLine.h"
#include "Brimlark/kit/SymbolIcon.h"
#include "Brimlark/shelf/FileShelfRow.h"
#include "Brimlark/shelf/FileShelfService.h"
#include "Brimlark/shelf/ShelfButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

FileShelfListView::FileShelfListView(FileShelfService& shelf, QWidget* parent)
    : QWidget(parent), m_shelf(shelf) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    auto* header = new QHBoxLayout;
    header->addWidget(plainLabel(QStringLiteral("file shelf"), BrimlarkTheme::monoSemibold11(),
                                 BrimlarkTheme::textSecondary(), this));
    header->addStretch(1);
    auto* clear = new ShelfButton(
        QStringLiteral("clear"),
        {QString(), BrimlarkTheme::textTertiary(), BrimlarkTheme::monoMedium10(), QColor()}, QString(), this);
    connect(clear, &QAbstractButton::clicked, &m_shelf, &FileShelfService::clear, Qt::QueuedConnection);
    m_clear = clear;
    header->addWidget(clear);
    layout->addLayout(header);

    m_saveLine = new SaveFailureLine(QStringLiteral("the shelf"), this);
    layout->addWidget(m_saveLine);
    connect(&m_shelf, &FileShelfService::saveErrorChanged, m_saveLine,
            [this](const QString& error) { m_saveLine->setError(error); });
    m_saveLine->setError(m_shelf.saveError());

    m_empty = new QWidget(this);
    auto* empty = new QVBoxLayout(m_empty);
    empty->setSpacing(4);
    empty->addStretch(1);
    auto* tray = new QLabel(m_empty);
    tray->setPixmap(symbolPixmap(QStringLiteral("tray"), BrimlarkTheme::textTertiary(), QSize(22, 22),
                                 devicePixelRatioF()));
    empty->addWidget(tray, 0, Qt::AlignHCenter);
    empty->addWidget(plainLabel(QStringLiteral("drop files onto the notch"), BrimlarkTheme::monoSemibold12(),
                                BrimlarkTheme::textSecondary(), m_empty),
                     0, Qt::AlignHCenter);
    empty->addWidget(plainLabel(QStringLiteral("recent items appear here for quick airdrop."),
                                BrimlarkTheme::monoRegular12(), BrimlarkTheme::textTertiary(), m_empty),
                     0, Qt::AlignHCenter);
    empty->addStretch(1);
    layout->addWidget(m_empty, 1);

    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setStyleSheet(QStringLiteral("background: transparent;"));
    auto* list = new QWidget(scroll);
    m_rows = new QVBoxLayout(list);
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(4);
    scroll->setWidget(list);
    m_scroll = scroll;
    layout->addWidget(m_scroll, 1);

    m_timeRefresh = new RelativeTimeRefresh(
        m_shelf.clock(), [this] { refreshTimes(); }, this);
    connect(&m_shelf, &FileShelfService::itemsChanged, this, &FileShelfListView::rebuild);
    rebuild();
}

QString FileShelfListView::relativeAddedText(const ShelfItem& item) const {
    return QStringLiteral("added ") + RelativeTimeFormatter::string(item.addedAt, m_shelf.now());
}

QString FileShelfListView::saveLine() const {
    return m_saveLine->text();
}

bool FileShelfListView::showsEmptyState() const {
    return !m_empty->isHidden();
}

void FileShelfListView::showEvent(QShowEvent* event) {
    // A sender installed or removed meanwhile counts from the next time the page shows.
    if (m_shelf.canSend() != m_couldSend)
        rebuild();
    QWidget::showEvent(event);
    m_timeRefresh->start();
}

void FileShelfListView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_timeRefresh->stop();
}

void FileShelfListView::refreshTimes() {
    for (int i = 0; i < m_rows->count(); ++i) {
        QWidget* card = m_rows->itemAt(i)->widget();
        if (auto* row = card ? card->findChild<FileShelfRow*>() : nullptr)
            row->showAddedText(relativeAddedText(row->item()));
    }
}

void FileShelfListView::rebuild() {
    m_couldSend = m_shelf.canSend();
    while (QLayoutItem* old = m_rows->takeAt(0)) {
        // The old rows may be inside the click that changed the shelf: they go on a later turn.
        if (QWidget* widget = old->widget()) {
            widget->hide();
            widget->setParent(nullptr);
            widget->deleteLater();
        }
        delete old;
    }
    const QList<ShelfItem>& items = m_shelf.items();
    m_clear->setVisible(!items.isEmpty());
    m_empty->setVisible(items.isEmpty());
    m_scroll->setVisible(!items.isEmpty());
    for (const ShelfItem& item : items) {
        auto* row = new FileShelfRow(m_shelf, item, relativeAddedText(item));
        QWidget* card = brimlarkCard(row, std::nullopt, 8, true, false, m_rows->parentWidget());
        // As tall as its content: the list's spare height goes below the last card.
        card->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        m_rows->addWidget(card);
        card->show();
    }
    m_rows->addStretch(1);
    m_rows->activate();
}
