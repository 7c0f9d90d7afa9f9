// Test entry for the shell library: one QApplication for the widgets the helpers fill,
// offscreen so the tests run without a display, and the program's translation engine in
// English. A message box nobody answered fails the test instead of blocking it.
#include <QApplication>
#include <gtest/gtest.h>

#include "platform/Platform.h"
#ifdef TAMAREL_HAVE_LANG
#include "lang/Language.h"
#endif

namespace {
class UnansweredMessages : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        platform::seams().messageBox = [](QWidget*, const QString& text, const QString&, platform::Icon, platform::Buttons) {
            ADD_FAILURE() << "unexpected message box: " << text.toStdString();
            return 0;
        };
    }
};
}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#ifdef TAMAREL_HAVE_LANG
    TLanguage language;
    language.setLanguageIdent(1);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new UnansweredMessages);
    return RUN_ALL_TESTS();
}
