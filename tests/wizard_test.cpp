// The wizard as a user meets it: the frame runs modally on its own thread and
// the test clicks it, answers its questions and reads its controls.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/state.h"
#include "framework/catalogue.h"
#include "support/testkit.h"
#include "wizard/folder_dlg.h"
#include "wizard_driver.h"

#include <vector>

using namespace wizard_test;

namespace {

constexpr int kBack = 3;

std::string Caption(int id) {
    return LoadCatalogueText(id);
}

const std::string kNext = "&Tov\xE1"
                          "bb >";
const std::string kCancel = "M\xE9gse";

// One row of the frame's state table.
struct FrameRow {
    PageKind page;
    bool backVisible;
    bool backEnabled;
    std::string next;
    bool nextEnabled;
    std::string cancel;
    bool cancelEnabled;
    bool picture;
    std::string caption;
};

void ExpectRow(const WizardRun& run, const FrameRow& row, const char* name) {
    SCOPED_TRACE(name);
    HWND f = run.frame();
    EXPECT_EQ(run.Kind(), row.page);
    EXPECT_EQ(run.Visible(f, kBack), row.backVisible);
    if (row.backVisible) {
        EXPECT_EQ(run.Enabled(f, kBack), row.backEnabled);
    }
    EXPECT_EQ(run.Text(f, IDOK), row.next);
    EXPECT_EQ(run.Enabled(f, IDOK), row.nextEnabled);
    EXPECT_EQ(run.Text(f, IDCANCEL), row.cancel);
    EXPECT_EQ(run.Enabled(f, IDCANCEL), row.cancelEnabled);
    EXPECT_EQ(run.Visible(f, 1002), row.picture);
    EXPECT_EQ(testkit::WindowText(f), row.caption);

    RECT page = run.ClientRect(run.Page());
    if (row.picture) {
        RECT picture = run.ClientRect(GetDlgItem(f, 1002));
        EXPECT_EQ(page.left, picture.right + 4);
        EXPECT_EQ(page.top, picture.top);
    } else {
        EXPECT_EQ(page.left, 4);
        EXPECT_EQ(page.top, 4);
    }
}

} // namespace

TEST_F(WizardTest, FrameStateTableRowByRow) {
    const std::string title = kFrameCaption;
    const FrameRow rows[] = {
        {PageKind::Welcome, false, false, kNext, true, kCancel, true, true, title},
        {PageKind::Agreement, true, true, Caption(21), true, Caption(22), true, false, Caption(7)},
        {PageKind::Folder, true, true, kNext, true, kCancel, true, true, title},
        {PageKind::Group, true, true, kNext, true, kCancel, true, true, title},
        {PageKind::Ready, true, true, kNext, true, kCancel, true, true, title},
    };
    WizardRun run;
    ASSERT_TRUE(run.WaitForPage(PageKind::Welcome));
    EXPECT_EQ(run.Focus(), GetDlgItem(run.frame(), IDOK));
    for (const FrameRow& row : rows) {
        GoTo(run, row.page);
        ExpectRow(run, row, "page");
    }
    HWND ready = run.Page();
    EXPECT_TRUE(run.Visible(ready, 1010));
    EXPECT_TRUE(run.Visible(ready, 1011));
    EXPECT_FALSE(run.Visible(ready, 1009));
    EXPECT_FALSE(run.Visible(ready, 1012));

    // Next on the ready page installs and ends in the finish state.
    run.Next();
    ASSERT_TRUE(testkit::WaitUntil([&] { return run.Text(run.frame(), IDOK) == Caption(8); }));
    run.Settle();
    ExpectRow(run, {PageKind::Ready, true, false, Caption(8), true, kCancel, false, true, title},
              "finished");
    EXPECT_EQ(run.Text(ready, 1010), Caption(9));
    EXPECT_EQ(run.Text(ready, 1011), Caption(10));
    EXPECT_TRUE(run.Visible(ready, 1010));
    EXPECT_TRUE(run.Visible(ready, 1011));
    EXPECT_FALSE(run.Visible(ready, 1009));
    EXPECT_TRUE(run.Visible(ready, 1012));
    EXPECT_FALSE(run.Checked(ready, 1012));
    EXPECT_EQ(run.Focus(), GetDlgItem(run.frame(), IDOK));
}

// Finish stores the check box in bRunAfter, whatever the command line said.
TEST_F(WizardTest, FinishTakesRunAfterFromTheCheckBox) {
    for (bool checked : {true, false}) {
        SCOPED_TRACE(checked ? "checked" : "unchecked");
        bRunAfter = !checked;
        WizardRun run;
        GoTo(run, PageKind::Ready);
        run.Next();
        ASSERT_TRUE(testkit::WaitUntil([&] { return run.Visible(run.Page(), 1012); }));
        run.Settle();
        run.SetChecked(run.Page(), 1012, checked);
        run.Next();
        EXPECT_EQ(run.Wait(), IDOK);
        EXPECT_EQ(bRunAfter, checked ? TRUE : FALSE);
    }
}

TEST_F(WizardTest, BackFromAgreementRestoresWelcome) {
    WizardRun run;
    GoTo(run, PageKind::Agreement);
    run.Back();
    ASSERT_TRUE(run.WaitForPage(PageKind::Welcome));
    ExpectRow(run,
              {PageKind::Welcome, false, false, kNext, true, kCancel, true, true, kFrameCaption},
              "welcome again");
}

TEST_F(WizardTest, EnterOnAgreementGoesOn) {
    WizardRun run;
    GoTo(run, PageKind::Agreement);
    run.Key(VK_RETURN);
    EXPECT_TRUE(run.WaitForPage(PageKind::Folder));
}

// Esc, the close box and "Nem" all ask string 11; No keeps the page as it was.
TEST_F(WizardTest, AgreementCancelWaysAskAndNoChangesNothing) {
    struct Way {
        const char* name;
        void (*press)(const WizardRun&);
    };
    const Way ways[] = {
        {"Esc", [](const WizardRun& r) { r.Key(VK_ESCAPE); }},
        {"close box",
         [](const WizardRun& r) { PostMessageA(r.frame(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Nem", [](const WizardRun& r) { r.Cancel(); }},
    };
    WizardRun run;
    GoTo(run, PageKind::Agreement);
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        way.press(run);
        Box box;
        ASSERT_TRUE(run.WaitForBox(box));
        EXPECT_EQ(box.text, Caption(11));
        EXPECT_EQ(box.caption, kFrameCaption);
        EXPECT_NE(GetDlgItem(box.hwnd, IDYES), nullptr);
        EXPECT_EQ(SendMessageA(GetDlgItem(box.hwnd, IDNO), BM_GETSTATE, 0, 0) & BST_FOCUS,
                  BST_FOCUS)
            << "No is the default answer";
        run.Answer(box, IDNO);
        run.Settle();
        EXPECT_TRUE(run.running());
        ExpectRow(run,
                  {PageKind::Agreement, true, true, Caption(21), true, Caption(22), true, false,
                   Caption(7)},
                  "still on the agreement page");
    }
}

TEST_F(WizardTest, CancelYesEndsWithNothingInstalled) {
    WizardRun run;
    GoTo(run, PageKind::Ready);
    run.Cancel();
    Box box;
    ASSERT_TRUE(run.WaitForBox(box));
    EXPECT_EQ(box.text, Caption(11));
    run.Answer(box, IDYES);
    EXPECT_EQ(run.Wait(), IDCANCEL);
    EXPECT_FALSE(testkit::DirExists(m_strInstDir));
}

// The version line: the template's format filled with the package's version.
TEST_F(WizardTest, WelcomeVersionLine) {
    struct Case {
        int beta;
        const char* firstLine;
    };
    const Case cases[] = {{0, "Quillmark 6.30.02 "}, {3, "Quillmark 6.30.02 Beta 3"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firstLine);
        nVerBeta = c.beta;
        WizardRun run;
        ASSERT_TRUE(run.WaitForPage(PageKind::Welcome));
        std::string text = run.Text(run.Page(), 1003);
        size_t end = text.find('\n');
        ASSERT_NE(end, std::string::npos) << text;
        EXPECT_EQ(text.substr(0, end), c.firstLine);
        EXPECT_EQ(text.find('%'), std::string::npos) << "the notice lines have no fields: " << text;
    }
}

TEST_F(WizardTest, AgreementShownLineByLineFromTheTop) {
    std::string text;
    for (int i = 1; i <= 60; ++i)
        text += "Line " + std::to_string(i) + "\r\n";
    testkit::WriteFile(m_workDir + "\\agreement.txt", text);
    WizardRun run;
    GoTo(run, PageKind::Agreement);
    HWND edit = GetDlgItem(run.Page(), 1000);
    EXPECT_EQ(testkit::WindowText(edit), text);
    EXPECT_EQ(SendMessageA(edit, EM_GETLINECOUNT, 0, 0), 61);
    char line[32] = {};
    *reinterpret_cast<WORD*>(line) = sizeof line - 1;
    LRESULT n = SendMessageA(edit, EM_GETLINE, 1, reinterpret_cast<LPARAM>(line));
    EXPECT_EQ(std::string(line, n), "Line 2");
    EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    DWORD start = 0, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, end) << "nothing selected";
}

TEST_F(WizardTest, AgreementWithoutFileIsEmptyAndAcceptable) {
    DeleteFileA((m_workDir + "\\agreement.txt").c_str());
    WizardRun run;
    GoTo(run, PageKind::Agreement);
    EXPECT_EQ(run.Text(run.Page(), 1000), "");
    run.Next();
    EXPECT_TRUE(run.WaitForPage(PageKind::Folder));
}
