#pragma once

#include "platform/FileWatch.h"

#include <QString>

#include <functional>

// A watch that reports only when a test says the file changed. It creates the file holding "[]"
// when missing, as the real one does, so that what reads it finds the same.
class FakeFileWatch final : public FileWatch {
public:
    explicit FakeFileWatch(QString path);

    // Makes fakes and points `*latest` at the newest one; `latest` must outlive the factory.
    static FileWatch::Factory factory(FakeFileWatch** latest);

    void start(std::function<void()> onChange) override;
    void cancel() override;
    bool isActive() const override { return m_active; }
    QString path() const override { return m_path; }

    // Reports a change, as the real watch does after a write, a replace or a deletion.
    void fireChange();

private:
    QString m_path;
    std::function<void()> m_onChange;
    bool m_active = false;
};
