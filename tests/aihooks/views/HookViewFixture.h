#pragma once

#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/aihooks/install/AIHookAccessManager.h"
#include "Brimlark/aihooks/install/AIHookInstaller.h"
#include "platform/fake/FakeBookmarks.h"
#include "platform/fake/FakeFilePicker.h"
#include "platform/fake/FakeFileWatch.h"
#include "platform/fake/FakeLoopbackListener.h"
#include "platform/fake/FakeNotifications.h"
#include "platform/fake/FakeWorkspace.h"
#include "tests/support/DarkHost.h"
#include "tests/support/StateFixture.h"

#include <QAbstractButton>
#include <QDir>
#include <QSignalSpy>
#include <QTest>

// A hook service over a private home folder with real folder access and installer, fake
// bookmarks and folder picker, and an ephemeral loopback port, for the hook views' tests.
struct HookViewFixture : StateFixture {
    QString home = dir.filePath(QStringLiteral("home"));
    FakeBookmarks bookmarks;
    FakeFilePicker picker;
    FakeNotifications notifications;
    FakeWorkspace workspace;
    AIHookAccessManager access{home, &defaults, &bookmarks, &picker};
    AIHookInstaller installer{home, dir.filePath(QStringLiteral("support")), locations()};
    FakeLoopbackListener* listener = nullptr;
    FakeFileWatch* inboxWatch = nullptr;
    AIHooksService service{appState,
                           dir.filePath(QStringLiteral("support")),
                           &notifications,
                           &workspace,
                           nullptr,
                           &clock,
                           FakeLoopbackListener::factory(&listener),
                           FakeFileWatch::factory(&inboxWatch)};

    HookViewFixture() {
        QDir().mkpath(home);
        service.setPort(0);
        service.setToolWiring(&access, &installer);
    }
    ~HookViewFixture() { service.stopListener(); }

    static AIHookInstaller::Locations locations() {
        AIHookInstaller::Locations l;
        l.claudeCandidates = {QStringLiteral("/nonexistent/claude")};
        return l;
    }

    void grant(AIHookTool tool) {
        picker.answers = {home};
        service.grantAccess(tool);
    }
    bool install(bool claude, bool codex) {
        QSignalSpy finished(&service, &AIHooksService::installFinished);
        service.installHooks(claude, codex);
        return finished.count() == 1 || finished.wait(10000);
    }
};

// The buttons under `root` by their text, in layout order.
template <typename Button = QAbstractButton> QStringList buttonTexts(QWidget* root) {
    QStringList texts;
    for (Button* button : root->findChildren<Button*>())
        if (button->isVisibleTo(root))
            texts.append(button->text());
    return texts;
}

// The widgets of a type under `root` that are on show; a rebuilt view's old content is hidden
// until it is deleted on the next turn of the event loop.
template <typename T> QList<T*> shown(QWidget* root) {
    QList<T*> found;
    for (T* widget : root->findChildren<T*>())
        if (widget->isVisibleTo(root))
            found.append(widget);
    return found;
}

template <typename Button = QAbstractButton> Button* buttonNamed(QWidget* root, const QString& text) {
    for (Button* button : root->findChildren<Button*>())
        if (button->text() == text && button->isVisibleTo(root))
            return button;
    return nullptr;
}
