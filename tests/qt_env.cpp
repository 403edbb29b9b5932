// Fonts, painting and widgets need a QApplication; one is made for the whole test process before
// any test runs. Linked into every test program that needs one (BIDLARK_QT_TEST_ENV).
#include <gtest/gtest.h>

#include <QApplication>

#include <memory>

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "bidlark-test";
        static char *argv[] = { name, nullptr };
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

const auto *const g_environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace
