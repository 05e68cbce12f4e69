#pragma once
// One QCoreApplication for a GoogleTest executable of non-widget tests, created on first use;
// QTest::qWaitFor then runs its event loop while a test waits for an exchange to end.
#include <QCoreApplication>
#include <QString>
#include <QtTest/QTest>

#include <cstdlib>

namespace tirv::test {

inline void EnsureCoreApp()
{
    static int argc = 1;
    static char name[] = "tirv-link-test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app =
        QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
    // Test programs land in build/tests, the programs they run in build/bin.
    if (!std::getenv("TIRV_BIN_DIR")) {
        const QString bin = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin");
        ::setenv("TIRV_BIN_DIR", bin.toLocal8Bit().constData(), 0);
    }
}

// A fixture base listed first, so the application exists before any member is built.
struct CoreAppFirst {
    CoreAppFirst() { EnsureCoreApp(); }
};

// Generous: these waits end as soon as the condition holds; the bound only stops a hung test.
inline constexpr int kPatienceMs = 30000;

}  // namespace tirv::test
