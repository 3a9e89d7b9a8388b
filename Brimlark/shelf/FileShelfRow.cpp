#include "Brimlark/shelf/FileShelfRow.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/kit/SymbolIcon.h"
#include "Brimlark/shelf/FileShelfService.h"
#include "Brimlark/shelf/ShelfButton.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

FileShelfRow::FileShelfRow(FileShelfService& shelf, const ShelfItem& item, const QString& addedText,
                           QWidget* parent)
    : QWidget(parent), m_item(item) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 4, 8, 4);
    row->setSpacing(8);

    auto* icon = new QLabel(this);
    icon->setPixmap(symbolPixmap(QStringLiteral("doc.fill"), BrimlarkTheme::accent(), QSize(13, 13),
                                 devicePixelRatioF()));
    row->addWidget(icon, 0, Qt::AlignVCenter);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(0);
    // The name comes from the file system: plain text on one line, cut with an ellipsis to the
    // width it is given.
    m_name =
        plainLabel(item.displayName, BrimlarkTheme::monoSemibold12(), BrimlarkTheme::textPrimary(), this);
    m_name->setObjectName(QStringLiteral("shelfRowName"));
    m_name->setWordWrap(false);
    m_name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_name->setMinimumWidth(0);
    m_name->setToolTip(item.displayName);
    m_name->installEventFilter(this);
    m_added = plainLabel(addedText, BrimlarkTheme::monoMedium10(), BrimlarkTheme::textTertiary(), this);
    m_added->setObjectName(QStringLiteral("shelfRowAdded"));
    texts->addWidget(m_name);
    texts->addWidget(m_added);
    row->addLayout(texts, 1);

    auto* send = new ShelfButton(QStringLiteral("airdrop"),
                                 {QStringLiteral("wifi"), BrimlarkTheme::black(),
                                  BrimlarkTheme::monoMedium10(), BrimlarkTheme::warning(), 0.94, 0.92},
                                 QStringLiteral("AirDrop ") + item.displayName, this);
    send->setAvailable(shelf.canSend(), FileShelfService::noSenderReason());
    connect(send, &QAbstractButton::clicked, this, [&shelf, item] { shelf.airDrop(item); });
    row->addWidget(send, 0, Qt::AlignVCenter);

    auto* remove =
        new ShelfButton(QString(),
                        {QStringLiteral("minus.circle.fill"), BrimlarkTheme::textTertiary(),
                         BrimlarkTheme::monoSemibold11(), QColor(), 0.94, 0.92},
                        QStringLiteral("Remove ") + item.displayName + QStringLiteral(" from shelf"), this);
    const QUuid id = item.id;
    // The row goes with the shelf's change: the removal runs once the click is over.
    connect(
        remove, &QAbstractButton::clicked, &shelf, [&shelf, id] { shelf.remove(id); }, Qt::QueuedConnection);
    row->addWidget(remove, 0, Qt::AlignVCenter);
}

void FileShelfRow::showAddedText(const QString& text) {
    if (m_added->text() != text)
        m_added->setText(text);
}

bool FileShelfRow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_name && event->type() == QEvent::Resize)
        m_name->setText(
            QFontMetrics(m_name->font()).elidedText(m_item.displayName, Qt::ElideRight, m_name->width()));
    return QWidget::eventFilter(watched, event);
}
