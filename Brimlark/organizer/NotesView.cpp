#include "Brimlark/organizer/NotesView.h"

#include "Brimlark/core/SaveFailure.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/kit/SymbolIcon.h"
#include "Brimlark/organizer/NotesService.h"
#include "platform/Workspace.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// A bare symbol that acts as a button: no bezel, no disc.
class PlainSymbolButton : public QAbstractButton {
public:
    PlainSymbolButton(const QString& symbol, const QColor& color, const QString& accessibleName,
                      QWidget* parent)
        : QAbstractButton(parent), m_symbol(symbol), m_color(color) {
        setAccessibleName(accessibleName);
        setToolTip(accessibleName);
        setCursor(Qt::PointingHandCursor);
        setFixedSize(18, 18);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QColor color = m_color;
        if (isDown())
            color.setAlphaF(color.alphaF() * 0.6f);
        paintSymbol(painter, QRectF(rect()).adjusted(3.5, 3.5, -3.5, -3.5), m_symbol, color);
    }

private:
    QString m_symbol;
    QColor m_color;
};

// The editor's rounded backdrop and border; orange with a sheen while the editor has the focus.
class EditorFrame : public QWidget {
public:
    explicit EditorFrame(QWidget* parent) : QWidget(parent) {}
    void setFocused(bool focused) {
        m_focused = focused;
        update();
    }
    bool isFocused() const { return m_focused; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QPainterPath shape;
        shape.addRoundedRect(box, 20, 20);
        painter.fillPath(shape, BrimlarkTheme::surface());
        QColor border = m_focused ? BrimlarkTheme::warning() : BrimlarkTheme::strokeStrong();
        if (m_focused)
            border.setAlphaF(0.6f);
        painter.strokePath(shape, QPen(border, 1));
        if (m_focused) {
            QLinearGradient sheen = BrimlarkTheme::softSheen();
            sheen.setCoordinateMode(QGradient::ObjectBoundingMode);
            painter.setCompositionMode(QPainter::CompositionMode_Plus);
            painter.strokePath(shape, QPen(QBrush(sheen), 1));
        }
    }

private:
    bool m_focused = false;
};

// Tells the frame when the editor gains or loses the focus.
class FocusFollower : public QObject {
public:
    FocusFollower(EditorFrame* frame, QObject* parent) : QObject(parent), m_frame(frame) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn)
            m_frame->setFocused(true);
        else if (event->type() == QEvent::FocusOut)
            m_frame->setFocused(false);
        return QObject::eventFilter(watched, event);
    }

private:
    EditorFrame* m_frame;
};

} // namespace

NotesView::NotesView(NotesService& service, Workspace* workspace, QWidget* parent)
    : QWidget(parent), m_service(service), m_workspace(workspace) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    auto* header = new QHBoxLayout();
    header->addWidget(plainLabel(QStringLiteral("notes"), BrimlarkTheme::monoSemibold11(),
                                 BrimlarkTheme::textSecondary(), this));
    header->addStretch(1);
    m_copy = new PlainSymbolButton(QStringLiteral("document.on.document"), BrimlarkTheme::accent(),
                                   QStringLiteral("Copy note"), this);
    m_delete = new PlainSymbolButton(QStringLiteral("trash"), BrimlarkTheme::textTertiary(),
                                     QStringLiteral("Delete current note"), this);
    connect(m_copy, &QAbstractButton::clicked, this, &NotesView::copyNote);
    connect(m_delete, &QAbstractButton::clicked, this, &NotesView::deleteCurrentNote);
    header->addWidget(m_copy);
    header->addWidget(m_delete);
    layout->addLayout(header);

    auto* frame = new EditorFrame(this);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(8, 8, 8, 8);
    m_editor = new NoteEditor(frame);
    m_editor->setObjectName(QStringLiteral("noteEditor"));
    m_editor->setAccessibleName(QStringLiteral("note"));
    m_editor->setFrameShape(QFrame::NoFrame);
    m_editor->setFont(BrimlarkTheme::monoRegular13());
    m_editor->setPlaceholderText(QStringLiteral("capture a thought\u2026"));
    m_editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The text scrolls with the wheel and the keys; a bar would break the rounded frame.
    m_editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_editor->viewport()->setAutoFillBackground(false);
    QPalette palette = m_editor->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, BrimlarkTheme::textPrimary());
    palette.setColor(QPalette::PlaceholderText, BrimlarkTheme::textTertiary());
    m_editor->setPalette(palette);
    m_editor->installEventFilter(new FocusFollower(frame, m_editor));
    frameLayout->addWidget(m_editor);
    layout->addWidget(frame, 1);

    m_saveLine = plainLabel(QString(), BrimlarkTheme::monoMedium11(), BrimlarkTheme::warning(), this);
    m_saveLine->setObjectName(QStringLiteral("saveLine"));
    m_saveLine->setWordWrap(true);
    layout->addWidget(m_saveLine);
    connect(&m_service, &NotesService::saveErrorChanged, this, &NotesView::showSaveError);
    showSaveError(m_service.saveError());
    m_setAsideLine = plainLabel(QString(), BrimlarkTheme::monoMedium11(), BrimlarkTheme::warning(), this);
    m_setAsideLine->setObjectName(QStringLiteral("setAsideLine"));
    m_setAsideLine->setWordWrap(true);
    m_setAsideLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_setAsideLine);
    connect(&m_service, &NotesService::setAsidePathChanged, this, &NotesView::showSetAside);
    showSetAside(m_service.setAsidePath());

    connect(m_editor, &QPlainTextEdit::textChanged, this, [this] {
        if (m_didLoadDraft)
            m_service.updateCurrentNote(m_editor->body());
    });
    connect(&m_service, &NotesService::notesChanged, this, &NotesView::updateButtons);
    connect(&m_service, &NotesService::currentIDChanged, this, [this] {
        m_didLoadDraft = false;
        loadCurrentNote();
        // Only on the next turn, so that loading the other note is not sent back as an edit.
        QPointer<NotesView> self(this);
        QTimer::singleShot(0, this, [self] {
            if (self)
                self->m_didLoadDraft = true;
        });
    });

    loadCurrentNote();
    m_didLoadDraft = true;
    updateButtons();
}

void NotesView::showSaveError(const QString& error) {
    m_saveLine->setText(SaveFailure::line(QStringLiteral("notes"), error));
    m_saveLine->setVisible(!error.isEmpty());
}

void NotesView::showSetAside(const QString& path) {
    m_setAsideLine->setText(
        path.isEmpty()
            ? QString()
            : QStringLiteral("the notes file could not be read, so the notes start anew; it is kept as %1")
                  .arg(path));
    m_setAsideLine->setVisible(!path.isEmpty());
}

QString NotesView::setAsideLine() const {
    return m_setAsideLine->text();
}

QString NotesView::saveLine() const {
    return m_saveLine->text();
}

QString NotesView::draft() const {
    return m_editor->body();
}

void NotesView::loadCurrentNote() {
    m_editor->setBody(m_service.currentNote().body);
    updateButtons();
}

void NotesView::updateButtons() {
    const bool hasText = !m_service.currentNote().body.isEmpty();
    m_copy->setVisible(hasText);
    m_delete->setVisible(hasText);
}

void NotesView::copyNote() {
    if (m_workspace)
        m_workspace->setClipboardText(m_service.currentNote().body);
}

void NotesView::deleteCurrentNote() {
    m_service.deleteNote(m_service.currentNote().id);
}
