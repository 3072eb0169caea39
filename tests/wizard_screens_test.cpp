// Pictures of the wizard's pages for the documentation. Runs only under
// scripts/screenshots.sh, which names a hand-over folder in QMK_SCREENSHOT_SYNC:
// for each page this test writes <page>.ready with the frame's screen rectangle
// and waits for <page>.done, written once the screen has been captured.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/state.h"
#include "support/testkit.h"
#include "wizard_driver.h"

#include <cstdlib>
#include <string>

using namespace wizard_test;

namespace {

// UTF-8 text of this file in the ANSI code page.
std::string Ansi(const char* utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, NULL, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], n);
    int m = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, NULL, 0, NULL, NULL);
    std::string out(m, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &out[0], m, NULL, NULL);
    out.resize(m > 0 ? m - 1 : 0);
    return out;
}

class WizardScreens : public WizardTest {
  protected:
    void SetUp() override {
        const char* sync = std::getenv("QMK_SCREENSHOT_SYNC");
        if (!sync || !*sync)
            GTEST_SKIP() << "only for scripts/screenshots.sh";
        m_sync = sync;
        WizardTest::SetUp();
        testkit::WriteFile(m_workDir + "\\agreement.txt",
                           Ansi("LICENCSZERZŐDÉS\r\n\r\n"
                                "1. A szoftver használatára a jelen szerződés feltételei "
                                "érvényesek.\r\n"
                                "2. A szoftverről biztonsági másolatot készíthet.\r\n"
                                "3. A szoftvert jelen állapotában, garancia nélkül adjuk át.\r\n"));
    }

    void Capture(const WizardRun& run, const std::string& name) {
        run.Settle();
        RedrawWindow(run.frame(), NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        run.Settle();
        RECT r = {};
        GetWindowRect(run.frame(), &r);
        std::string done = m_sync + "\\" + name + ".done";
        DeleteFileA(done.c_str());
        testkit::WriteFile(m_sync + "\\" + name + ".ready",
                           std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                               std::to_string(r.right - r.left) + " " +
                               std::to_string(r.bottom - r.top) + "\n");
        EXPECT_TRUE(testkit::WaitUntil([&] { return testkit::FileExists(done); }, 60000)) << name;
    }

    std::string m_sync;
};

} // namespace

TEST_F(WizardScreens, EveryPage) {
    m_strInstDir = "C:\\Program Files\\Quillmark 6";
    WizardRun run;
    ASSERT_TRUE(run.WaitForPage(PageKind::Welcome));
    Capture(run, "1-welcome");
    const struct {
        PageKind kind;
        const char* name;
    } pages[] = {{PageKind::Agreement, "2-agreement"},
                 {PageKind::Folder, "3-folder"},
                 {PageKind::Group, "4-group"},
                 {PageKind::Ready, "5-ready"}};
    for (const auto& page : pages) {
        GoTo(run, page.kind);
        Capture(run, page.name);
    }
    run.Next();
    ASSERT_TRUE(testkit::WaitUntil([&] { return run.Visible(run.Page(), 1012); }));
    Capture(run, "6-finish");
    run.Next();
    EXPECT_EQ(run.Wait(), IDOK);
}
