// Drives the wizard of this process as a user would: the frame runs modally on
// a thread of its own, the test finds it by its caption, presses its buttons,
// answers its message boxes and reads its controls.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace wizard_test {

// "Quillmark Telepítő" in code page 1250.
extern const char kFrameCaption[];

enum class PageKind { None, Welcome, Agreement, Folder, Group, Ready };

struct Box {
    HWND hwnd = NULL;
    std::string caption;
    std::string text;
};

class WizardRun {
  public:
    // Starts the wizard with the program-wide state as the test has set it and
    // waits for its frame.
    WizardRun();
    // Cancels the wizard (answering every question) if it still runs.
    ~WizardRun();
    WizardRun(const WizardRun&) = delete;
    WizardRun& operator=(const WizardRun&) = delete;

    HWND frame() const { return m_frame; }
    bool running() const { return !m_done; }
    // The modal result once the wizard has ended within the time-out, else -1.
    INT_PTR Wait();

    // The page shown now (the visible child dialog of the frame).
    HWND Page() const;
    PageKind Kind() const;
    // Waits until the wizard's thread has finished the handler it is running.
    void Settle() const;
    // Waits until the page shown is of `kind` and the move to it is complete.
    bool WaitForPage(PageKind kind) const;

    // Clicks a frame button (IDOK Next, IDCANCEL Cancel, 3 Back) or a page button.
    void Click(HWND dialog, int id) const;
    void Next() const { Click(m_frame, IDOK); }
    void Back() const { Click(m_frame, 3); }
    void Cancel() const { Click(m_frame, IDCANCEL); }
    // A key pressed in the control that has the keyboard focus.
    void Key(WPARAM vk) const;
    // The focused control of the wizard's thread.
    HWND Focus() const;

    // A message box owned by the frame (or by `owner`), waiting for it.
    bool WaitForBox(Box& box, HWND owner = NULL) const;
    // Presses `id` in the box and waits until it has gone.
    void Answer(const Box& box, int id) const;

    std::string Text(HWND dialog, int id) const;
    void SetText(HWND dialog, int id, const std::string& text) const;
    bool Checked(HWND dialog, int id) const;
    void SetChecked(HWND dialog, int id, bool checked) const;
    bool Visible(HWND dialog, int id) const;
    bool Enabled(HWND dialog, int id) const;
    // Rectangle of a window in the frame's client coordinates (pixels).
    RECT ClientRect(HWND h) const;

  private:
    std::thread m_thread;
    std::atomic<bool> m_done{false};
    std::atomic<DWORD> m_tid{0};
    INT_PTR m_result = -1;
    HWND m_frame = NULL;
};

// Prepares the program-wide state as the install driver leaves it for a new
// installation, and a working directory with an agreement file; the wizard
// reads it when a test starts a WizardRun.
class WizardTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Presses Next until a page of `kind` shows.
    static void GoTo(WizardRun& run, PageKind kind);

    std::string m_dir, m_workDir, m_oldCwd;
};

} // namespace wizard_test
