// The clipboard that clip serves: the copy is marked as a secret, taken away when the time is up,
// and left alone when something else was copied meanwhile.

#include "cli/ClipboardHold.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

QClipboard& Clipboard() {
    return *QGuiApplication::clipboard();
}

TEST(ClipboardHold, TheCopyIsMarkedAsASecretAndClearedWhenTheTimeIsUp) {
    Clipboard().setText(QStringLiteral("before"));
    TClipboardHold hold(Clipboard());
    ASSERT_TRUE(hold.Copy(QStringLiteral("s3cret \u20ac")));
    const QMimeData* data = Clipboard().mimeData();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->text(), QStringLiteral("s3cret \u20ac"));
    EXPECT_EQ(data->data(QStringLiteral("x-kde-passwordManagerHint")), "secret");
    EXPECT_EQ(hold.Hold(1ms), TClipboardHold::TEnd::Cleared);
    EXPECT_TRUE(Clipboard().text().isEmpty());
}

TEST(ClipboardHold, AnotherCopyMeanwhileEndsTheHoldAndStays) {
    TClipboardHold hold(Clipboard());
    ASSERT_TRUE(hold.Copy(QStringLiteral("s3cret")));
    // Long enough that only the other copy can end it.
    QTimer::singleShot(0, [] { Clipboard().setText(QStringLiteral("the user's own")); });
    EXPECT_EQ(hold.Hold(1h), TClipboardHold::TEnd::Replaced);
    EXPECT_EQ(Clipboard().text(), QStringLiteral("the user's own"));
}

TEST(ClipboardHold, TheSameTextCopiedAgainIsStillHeldAndCleared) {
    TClipboardHold hold(Clipboard());
    ASSERT_TRUE(hold.Copy(QStringLiteral("s3cret")));
    QTimer::singleShot(0, [] { Clipboard().setText(QStringLiteral("s3cret")); });
    EXPECT_EQ(hold.Hold(20ms), TClipboardHold::TEnd::Cleared);
    EXPECT_TRUE(Clipboard().text().isEmpty());
}

} // namespace
