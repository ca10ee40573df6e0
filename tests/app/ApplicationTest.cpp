// SIGTERM reaches the event loop as a request to end, so that the window can keep unsaved changes
// instead of dying with them.

#include "app/KestovarApplication.h"

#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>

namespace {

// One signal per test program: after the first, a second one ends the program at once.
TEST(KestovarApplication, SigtermBecomesATerminationRequestInTheEventLoop) {
    auto* application = qobject_cast<TKestovarApplication*>(QCoreApplication::instance());
    ASSERT_NE(application, nullptr);
    int requests = 0;
    const QMetaObject::Connection connection = QObject::connect(
        application, &TKestovarApplication::TerminationRequested, [&requests] { ++requests; });
    ASSERT_EQ(std::raise(SIGTERM), 0);
    EXPECT_EQ(requests, 0) << "not inside the signal handler";
    EXPECT_TRUE(QTest::qWaitFor([&] { return requests > 0; }, 5000));
    EXPECT_EQ(requests, 1);
    QObject::disconnect(connection);
    // The program's own disposition is back for a second signal.
    struct sigaction now {};
    ASSERT_EQ(::sigaction(SIGTERM, nullptr, &now), 0);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}

} // namespace
