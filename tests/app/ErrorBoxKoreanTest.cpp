#include "framework/core/Exception.h"
#include "framework/core/RegularFile.h"
#include "framework/gui/Application.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace {

// Runs under LC_ALL=ko_KR.UTF-8 (tests/app/CMakeLists.txt), set before the
// application starts, as a user's session sets it; the locale is the one
// make-test-locales.sh made, found through LOCPATH from before main on.
// Listing the tests runs under no such locale and needs no LOCPATH, which
// glibc leaks a little under, too early for the sanitizer's suppressions.
bool SetLocalePath()
{
    const char* locale = std::getenv("LC_ALL");
    return locale != nullptr && std::string_view(locale) == "ko_KR.UTF-8" &&
           ::setenv("LOCPATH", STOCKPICKER_TEST_LOCPATH, 1) == 0;
}
const bool LocalesFound = SetLocalePath();

// The error box of a file that cannot be opened: our sentence from the
// gettext catalog, Qt's OK button from Qt's own translations.
TEST(ErrorBoxInKorean, ShowsOurMessageAndQtsButtonInKorean)
{
    if (!LocalesFound ||
        !std::filesystem::is_directory(std::filesystem::path(STOCKPICKER_TEST_LOCPATH) / "ko_KR.UTF-8"))
        GTEST_SKIP() << "ko_KR.UTF-8 was not made: tests/support/make-test-locales.sh needs localedef";
    QString text;
    QString button;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            button = box->button(QMessageBox::Ok)->text();
            box->close();
        }
    });
    closer.start(10);
    try {
        ReadRegularFile("/nonexistent/fmast.dat");
        FAIL() << "a missing file was read";
    } catch (const Exception& e) {
        Application->ShowException(e);
    }
    EXPECT_TRUE(text.startsWith(QStringLiteral("\"/nonexistent/fmast.dat\" 파일을 열 수 없습니다: ")))
        << text.toStdString();
    EXPECT_EQ(button, QStringLiteral("확인"));
}

}  // namespace
