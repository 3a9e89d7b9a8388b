#include "platform/fake/FakeFileWatch.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

FakeFileWatch::FakeFileWatch(QString path) : m_path(std::move(path)) {}

FileWatch::Factory FakeFileWatch::factory(FakeFileWatch** latest) {
    return [latest](const QString& path) {
        auto watch = std::make_unique<FakeFileWatch>(path);
        *latest = watch.get();
        return watch;
    };
}

void FakeFileWatch::start(std::function<void()> onChange) {
    m_onChange = std::move(onChange);
    if (!QFileInfo::exists(m_path)) {
        QFile file(m_path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            file.write("[]");
    }
    m_active = true;
}

void FakeFileWatch::cancel() {
    m_active = false;
}

void FakeFileWatch::fireChange() {
    if (m_active && m_onChange)
        m_onChange();
}
