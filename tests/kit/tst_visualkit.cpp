#include "Brimlark/kit/BrimlarkButtonStyle.h"
#include "Brimlark/kit/BrimlarkPill.h"
#include "Brimlark/kit/BrimlarkPressEffect.h"
#include "Brimlark/kit/BrimlarkStatusBadge.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PanelIconButton.h"
#include "Brimlark/kit/SymbolIcon.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestMain.h"

#include <QAbstractButton>
#include <QDirIterator>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMap>
#include <QPainter>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace {

const QStringList symbolNames =
    QStringLiteral(
        "rectangle.topthird.inset.filled largecircle.fill.circle circle music.note bolt.horizontal.fill "
        "checkmark.circle.fill sparkles terminal.fill timer video.fill calendar play.fill pause.fill "
        "backward.fill forward.fill "
        "tray tray.full tray.full.fill doc.fill wifi minus.circle.fill "
        "mic.slash.fill bell.slash.fill plus.forwardslash.minus magnifyingglass person.crop.rectangle "
        "person.crop.rectangle.fill square.grid.2x2.fill moon.stars.fill xmark arrow.up.right gearshape.fill "
        "chevron.down rectangle.bottomthird.inset.filled waveform.path.ecg arrow.down.circle.fill "
        "arrow.up.circle.fill arrow.left.and.right.circle.fill hand.draw.fill plus xmark.circle.fill "
        "app.fill "
        "chevron.left chevron.right note.text checklist square.grid.2x2 bolt.horizontal.circle "
        "gear circle.grid.3x3 command moon.stars info.circle camera mic bell.badge calendar.badge.checkmark "
        "document.on.document exclamationmark.triangle.fill list.bullet lock.shield plus.circle.fill trash")
        .split(QLatin1Char(' '));

bool near(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

QByteArray describe(const QColor& c) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(c.red())
        .arg(c.green())
        .arg(c.blue())
        .arg(c.alpha())
        .toUtf8();
}

// Renders `widget` with its children and graphics effects onto `background`.
QImage render(QWidget* widget, const QColor& background = Qt::transparent) {
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

int inkedPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return count;
}

// A button drawn as one rounded block of colour, with an optional play symbol and text.
class BlockButton : public QAbstractButton {
public:
    BlockButton(const QColor& color, qreal radius = 0, const QString& text = {})
        : m_color(color), m_radius(radius) {
        setText(text);
    }
    QSize sizeHint() const override { return {150, 44}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(m_radius > 0 ? QPen(BrimlarkTheme::strokeStrong(), 1) : QPen(Qt::NoPen));
        painter.setBrush(m_color);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), m_radius, m_radius);
        if (text().isEmpty())
            return;
        paintSymbol(painter, QRectF(14, 13, 18, 18), QStringLiteral("play.fill"), BrimlarkTheme::accent());
        painter.setFont(BrimlarkTheme::monoMedium13());
        painter.setPen(BrimlarkTheme::textPrimary());
        painter.drawText(rect().adjusted(42, 0, 0, 0), Qt::AlignVCenter, text());
    }

private:
    QColor m_color;
    qreal m_radius;
};

// Every symbol at 28, 14 and 18 points with its name, and the stand-in for an unknown name.
class SymbolGrid : public QWidget {
public:
    QSize sizeHint() const override { return {4 * 236, int(symbolNames.size() + 4) / 4 * 70}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QStringList names = symbolNames + QStringList{QStringLiteral("no.such.symbol")};
        for (int i = 0; i < names.size(); ++i) {
            painter.save();
            painter.translate(i % 4 * 236, i / 4 * 70);
            painter.setPen(QPen(BrimlarkTheme::stroke(), 1));
            painter.setBrush(BrimlarkTheme::cardFill());
            painter.drawRoundedRect(QRectF(0.5, 0.5, 227, 61), 10, 10);
            paintSymbol(painter, QRectF(12, 10, 28, 28), names[i], BrimlarkTheme::textPrimary());
            paintSymbol(painter, QRectF(50, 17, 14, 14), names[i], BrimlarkTheme::accent());
            paintSymbol(painter, QRectF(72, 15, 18, 18), names[i], BrimlarkTheme::warning());
            painter.setFont(BrimlarkTheme::monoRegular10());
            painter.setPen(BrimlarkTheme::textSecondary());
            painter.drawText(QRectF(12, 42, 210, 16), Qt::AlignVCenter, names[i]);
            painter.restore();
        }
    }
};

QWidget* buildKitSheet() {
    auto* sheet = new QWidget;
    sheet->setAutoFillBackground(true);
    QPalette palette = sheet->palette();
    palette.setColor(QPalette::Window, BrimlarkTheme::surface());
    sheet->setPalette(palette);
    auto* column = new QVBoxLayout(sheet);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(14);

    // Rows per tint: filled, tinted, tinted with material, a large one and a badge.
    auto* pills = new QGridLayout;
    pills->setSpacing(10);
    const QColor tints[] = {BrimlarkTheme::accent(), BrimlarkTheme::warning(), BrimlarkTheme::danger(),
                            BrimlarkTheme::success()};
    const QString names[] = {QStringLiteral("ACCENT"), QStringLiteral("WARNING"), QStringLiteral("DANGER"),
                             QStringLiteral("SUCCESS")};
    for (int i = 0; i < 4; ++i) {
        const QFont& font = BrimlarkTheme::monoSemibold12();
        pills->addWidget(new BrimlarkPill(names[i], tints[i], true, false, font), i, 0);
        pills->addWidget(new BrimlarkPill(names[i], tints[i], false, false, font), i, 1);
        pills->addWidget(new BrimlarkPill(names[i], tints[i], false, true, font), i, 2);
        pills->addWidget(
            new BrimlarkPill(names[i].toLower(), tints[i], false, true, BrimlarkTheme::monoBold20()), i, 3);
        pills->addWidget(new BrimlarkStatusBadge(names[i], tints[i], i % 2 == 0), i, 4);
    }
    pills->setColumnStretch(5, 1);
    column->addLayout(pills);

    // Buttons at rest, pressed at 0.97 and 0.86, and a pressed one whose content is child widgets.
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    for (const qreal scale : {1.0, 0.97, 0.86}) {
        auto* button = new BlockButton(BrimlarkTheme::cardFillRaised(), 12, QStringLiteral("Play"));
        BrimlarkButtonStyle(scale, 0.92).apply(button)->setProgress(scale < 1 ? 1.0 : 0.0);
        buttons->addWidget(button);
    }
    auto* composite = new BlockButton(BrimlarkTheme::mutedFill(), 12);
    auto* content = new QHBoxLayout(composite);
    content->addWidget(new BrimlarkStatusBadge(QStringLiteral("ON"), BrimlarkTheme::success(), true));
    content->addWidget(new BrimlarkPill(QStringLiteral("mic"), BrimlarkTheme::textPrimary(), false, false,
                                        BrimlarkTheme::monoMedium11()));
    BrimlarkButtonStyle(0.86, 0.92).apply(composite)->setProgress(1.0);
    buttons->addWidget(composite);
    buttons->addStretch();
    column->addLayout(buttons);

    column->addWidget(new SymbolGrid);
    return sheet;
}

} // namespace

class TestVisualKit : public QObject {
    Q_OBJECT
private slots:
    void animations_data() {
        QTest::addColumn<BrimlarkAnimation>("animation");
        QTest::addColumn<int>("durationMs");
        QTest::newRow("openSpring") << BrimlarkTheme::openSpring() << 420;
        QTest::newRow("pressSpring") << BrimlarkTheme::pressSpring() << 180;
        QTest::newRow("pageSpring") << BrimlarkTheme::pageSpring() << 380;
        QTest::newRow("quickEase") << BrimlarkTheme::quickEase() << 140;
        QTest::newRow("standardEase") << BrimlarkTheme::standardEase() << 150;
    }

    // Springs damped at about 0.8 swing a percent or two past the target; eases never pass it and
    // are slow at both ends.
    void animations() {
        QFETCH(BrimlarkAnimation, animation);
        QFETCH(int, durationMs);
        QCOMPARE(animation.durationMs(), durationMs);
        const QEasingCurve curve = animation.easingCurve();
        QVERIFY(qFuzzyIsNull(curve.valueForProgress(0.0)));
        QVERIFY(qFuzzyCompare(curve.valueForProgress(1.0), 1.0));
        double peak = 0;
        for (int i = 1; i <= 200; ++i)
            peak = std::max(peak, curve.valueForProgress(i / 200.0));
        if (animation.kind == BrimlarkAnimation::Kind::spring) {
            QVERIFY2(peak > 1.005 && peak < 1.03, QByteArray::number(peak));
        } else {
            QVERIFY(peak <= 1.0 + 1e-9);
            QVERIFY(std::abs(curve.valueForProgress(0.5) - 0.5) < 0.02);
            QVERIFY(curve.valueForProgress(0.1) < 0.05 && curve.valueForProgress(0.9) > 0.95);
        }
    }

    void pressLook_data() {
        QTest::addColumn<qreal>("pressScale");
        QTest::addColumn<qreal>("progress");
        QTest::addColumn<QList<qreal>>("expected"); // scale, opacity, brightness, saturation
        QTest::newRow("rest") << 0.97 << 0.0 << QList<qreal>{1.0, 1.0, 0.0, 1.0};
        QTest::newRow("pressed") << 0.97 << 1.0 << QList<qreal>{0.97, 0.92, -0.02, 0.95};
        QTest::newRow("halfway") << 0.9 << 0.5 << QList<qreal>{0.95, 0.96, -0.01, 0.975};
        QTest::newRow("spring past rest") << 0.9 << -0.1 << QList<qreal>{1.01, 1.0, 0.002, 1.005};
    }

    void pressLook() {
        QFETCH(qreal, pressScale);
        QFETCH(qreal, progress);
        QFETCH(QList<qreal>, expected);
        const BrimlarkButtonStyle::Look look = BrimlarkButtonStyle(pressScale, 0.92).look(progress);
        const qreal actual[] = {look.scale, look.opacity, look.brightness, look.saturation};
        for (int i = 0; i < 4; ++i)
            QVERIFY2(std::abs(actual[i] - expected[i]) < 1e-9, QByteArray::number(i));
    }

    void pressEffectFollowsButton() {
        BlockButton button(Qt::white);
        BrimlarkPressEffect* effect = BrimlarkButtonStyle(0.9, 0.92).apply(&button);
        QCOMPARE(button.graphicsEffect(), effect);
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));

        QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(30, 20));
        QTRY_COMPARE(effect->progress(), 1.0);
        QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(30, 20));
        QTRY_COMPARE(effect->progress(), 0.0);
    }

    void pressEffectDrawing_data() {
        QTest::addColumn<bool>("childContent");
        QTest::newRow("painted button") << false;
        QTest::newRow("content in child widgets") << true;
    }

    // Pressed at 0.8, a solid 100 × 60 button covers only 80 × 48 about its centre, at the pressed
    // opacity and a little darker.
    void pressEffectDrawing() {
        QFETCH(bool, childContent);
        const QColor fill(200, 160, 120);
        QWidget window;
        window.resize(100, 60);
        auto* button = new BlockButton(childContent ? QColor(Qt::transparent) : fill);
        button->setParent(&window);
        button->setGeometry(window.rect());
        if (childContent) {
            auto* layout = new QHBoxLayout(button);
            layout->setContentsMargins(0, 0, 0, 0);
            auto* content = new BlockButton(fill);
            content->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            layout->addWidget(content);
            layout->activate();
        }
        BrimlarkPressEffect* effect = BrimlarkButtonStyle(0.8, 0.92).apply(button);
        const QImage rest = render(&window);
        QCOMPARE(rest.pixelColor(1, 1), fill);

        effect->setProgress(1.0);
        const QImage pressed = render(&window);
        QCOMPARE(pressed.pixelColor(8, 5).alpha(), 0);
        QCOMPARE(pressed.pixelColor(92, 55).alpha(), 0);
        QVERIFY(pressed.pixelColor(12, 8).alpha() > 200);
        const QColor centre = pressed.pixelColor(50, 30);
        QVERIFY2(std::abs(centre.alpha() - qRound(0.92 * 255)) <= 2, describe(centre));
        QVERIFY2(near(centre, fill, 8) && centre.red() < fill.red() && centre.blue() < fill.blue(),
                 describe(centre));
    }

    void iconButtonRedrawsItsChanges_data() {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QColor>("symbolColor");
        QTest::addColumn<double>("fillOpacity");
        QTest::newRow("stroked symbol, new colour") << QStringLiteral("xmark") << QColor(255, 80, 40) << 0.85;
        QTest::newRow("drawn symbol, new colour")
            << QStringLiteral("gearshape.fill") << QColor(Qt::white) << 0.85;
        QTest::newRow("new fill") << QStringLiteral("chevron.down") << BrimlarkTheme::textSecondary() << 0.3;
    }

    // A button painted once and then changed looks like one made with the new look at once.
    void iconButtonRedrawsItsChanges() {
        QFETCH(QString, symbol);
        QFETCH(QColor, symbolColor);
        QFETCH(double, fillOpacity);
        const QColor background(200, 90, 40);
        PanelIconButton changed(symbol, symbol, 30);
        const QImage before = render(&changed, background);
        changed.setSymbolColor(symbolColor);
        changed.setFillOpacity(fillOpacity);
        PanelIconButton fresh(symbol, symbol, 30);
        fresh.setSymbolColor(symbolColor);
        fresh.setFillOpacity(fillOpacity);
        const QImage after = render(&changed, background);
        QVERIFY(after != before);
        QCOMPARE(after, render(&fresh, background));
    }

    void pillColors_data() {
        QTest::addColumn<QColor>("color");
        QTest::addColumn<bool>("filled");
        QTest::addColumn<bool>("material");
        QTest::newRow("accent filled") << BrimlarkTheme::accent() << true << false;
        QTest::newRow("accent tinted") << BrimlarkTheme::accent() << false << false;
        QTest::newRow("warning tinted with material") << BrimlarkTheme::warning() << false << true;
        QTest::newRow("success filled with material") << BrimlarkTheme::success() << true << true;
    }

    // Samples the padding for the background and takes the pixel standing out most from it in the
    // text area as the label colour.
    void pillColors() {
        QFETCH(QColor, color);
        QFETCH(bool, filled);
        QFETCH(bool, material);
        BrimlarkPill pill(QStringLiteral("WWW"), color, filled, material, BrimlarkTheme::monoBold20());
        pill.resize(pill.sizeHint());
        const QImage image = render(&pill, Qt::black);

        const QColor background = image.pixelColor(6, image.height() / 2);
        if (filled)
            QVERIFY2(near(background, color, 6), describe(background));
        else
            QVERIFY2(background != QColor(Qt::black) && near(background, Qt::black, 60),
                     describe(background));

        QColor label = background;
        int strongest = 0;
        for (int y = 5; y < image.height() - 5; ++y) {
            for (int x = 10; x < image.width() - 10; ++x) {
                const QColor c = image.pixelColor(x, y);
                const int distance = std::abs(c.red() - background.red()) +
                                     std::abs(c.green() - background.green()) +
                                     std::abs(c.blue() - background.blue());
                if (distance > strongest) {
                    strongest = distance;
                    label = c;
                }
            }
        }
        QVERIFY2(near(label, filled ? QColor(Qt::black) : color, 24), describe(label));
    }

    void pillSizeHint_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("measured"); // the label as the one line the pill shows
        QTest::newRow("word") << QStringLiteral("RUNNING") << QStringLiteral("RUNNING");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("line break") << QStringLiteral("two\nlines") << QStringLiteral("two lines");
    }

    void pillSizeHint() {
        QFETCH(QString, label);
        QFETCH(QString, measured);
        for (const QFont& font : {BrimlarkTheme::monoRegular13(), BrimlarkTheme::monoBold34()}) {
            const QFontMetricsF metrics(font);
            BrimlarkPill pill(label, BrimlarkTheme::accent(), false, true, font);
            QCOMPARE(pill.sizeHint(),
                     QSize(qCeil(metrics.horizontalAdvance(measured) + 20), qCeil(metrics.height() + 10)));
        }
        const QFontMetricsF badgeMetrics(BrimlarkTheme::monoSemibold11());
        QCOMPARE(
            BrimlarkStatusBadge(label, BrimlarkTheme::accent(), true).sizeHint(),
            QSize(qCeil(badgeMetrics.horizontalAdvance(measured) + 20), qCeil(badgeMetrics.height() + 10)));
    }

    void symbols_data() {
        QTest::addColumn<QString>("name");
        for (const QString& name : symbolNames)
            QTest::newRow(qPrintable(name)) << name;
    }

    // Each symbol is bundled, is a real drawing rather than the stand-in, and takes exactly the tint
    // asked for, even right after being drawn in another colour.
    void symbols() {
        QFETCH(QString, name);
        QVERIFY(hasSymbol(name));
        const QImage neutral =
            symbolPixmap(QStringLiteral("no.such.symbol"), Qt::red, QSize(24, 24)).toImage();
        for (const QColor& tint : {BrimlarkTheme::accent(), BrimlarkTheme::warning(), QColor(Qt::red)}) {
            const QImage image = symbolPixmap(name, tint, QSize(24, 24)).toImage();
            QCOMPARE(image.size(), QSize(24, 24));
            QVERIFY(inkedPixels(image) > 24 * 24 / 10);
            QVERIFY(image != neutral);
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (const QColor c = image.pixelColor(x, y); c.alpha() >= 128)
                        QVERIFY2(near(c, tint, 3), describe(c));
        }
        const QPixmap sharp = symbolPixmap(name, Qt::white, QSize(14, 14), 2.0);
        QCOMPARE(sharp.size(), QSize(28, 28));
        QCOMPARE(sharp.devicePixelRatio(), 2.0);
    }

    void everySymbolNameInTheSourcesIsDrawn_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("usedIn");
        // Dotted lower-case literals of the program's sources, less file names, host names and
        // settings keys: the names handed to the symbol drawing.
        static const QRegularExpression literal(QStringLiteral(
            R"re((?:QStringLiteral|QLatin1String|QLatin1StringView)\("([a-z][a-z0-9]*(?:\.[a-z0-9]+)+)"\))re"));
        static const QRegularExpression notSymbol(
            QStringLiteral(R"(^(brimlark|com)\.|\.(json|toml|svg|ics|desktop|py|sh|com|org|net|us)$)"));
        QMap<QString, QString> found;
        QDirIterator files(QStringLiteral(BRIMLARK_SOURCE_DIR "/Brimlark"),
                           {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(file.readAll());
            for (const QRegularExpressionMatch& match : literal.globalMatch(text)) {
                const QString name = match.captured(1);
                if (!notSymbol.match(name).hasMatch() && !found.contains(name))
                    found.insert(name, QFileInfo(file.fileName()).fileName());
            }
        }
        QVERIFY(found.size() > 30);
        for (auto it = found.cbegin(); it != found.cend(); ++it)
            QTest::newRow(qPrintable(it.key())) << it.key() << it.value();
    }

    // A name any view asks for is bundled and listed above, so none is drawn as the stand-in.
    void everySymbolNameInTheSourcesIsDrawn() {
        QFETCH(QString, name);
        QFETCH(QString, usedIn);
        QVERIFY2(hasSymbol(name), qPrintable(usedIn));
        QVERIFY2(symbolNames.contains(name), qPrintable(usedIn));
    }

    void unknownSymbol_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("unknown") << QStringLiteral("no.such.symbol");
        QTest::newRow("empty") << QString();
        QTest::newRow("path outside the folder") << QStringLiteral("../symbols/circle");
    }

    // The stand-in is a tinted outline: ink on its edge, nothing in its middle.
    void unknownSymbol() {
        QFETCH(QString, name);
        QVERIFY(!hasSymbol(name));
        const QImage image = symbolPixmap(name, BrimlarkTheme::success(), QSize(24, 24)).toImage();
        QCOMPARE(image.pixelColor(12, 12).alpha(), 0);
        const QColor edge = image.pixelColor(12, 5);
        QVERIFY2(edge.alpha() > 128 && near(edge, BrimlarkTheme::success(), 3), describe(edge));

        QImage canvas(32, 32, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        paintSymbol(painter, QRectF(4, 4, 24, 24), name, Qt::white);
        paintSymbol(painter, QRectF(0, 0, 0, 10), name, Qt::white);
        painter.end();
        QVERIFY(inkedPixels(canvas) > 20);
        QVERIFY(!symbolIcon(name, Qt::white).isNull());
    }

    void kitSheet() {
        std::unique_ptr<QWidget> sheet(buildKitSheet());
        sheet->resize(sheet->sizeHint());
        QVERIFY(!sheet->grab().isNull());
        if (!brimlark::test::screenshotDir().isEmpty())
            QVERIFY(!brimlark::test::saveScreenshot(sheet.get(), QStringLiteral("visual-kit")).isEmpty());
    }
};

BRIMLARK_TEST_MAIN(TestVisualKit)
#include "tst_visualkit.moc"
