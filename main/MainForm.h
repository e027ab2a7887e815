// TfrmMain: the main window's logic: start-up, the close query, the end of the session, the
// settings window's buttons and the tray menu's commands.
#pragma once

#include <memory>
#include <string>

#include "clFly/Component.h"
#include "main/Application.h"
#include "main/SettingsStore.h"
#include "main/UserSettings.h"

namespace quillop {

extern const char* const kHomePageAddress;  // the maker's home page, set at build time

class TfrmMain final : public Component, private MainFormEvents {
  public:
    explicit TfrmMain(Application& app);
    TfrmMain(const TfrmMain&) = delete;
    TfrmMain& operator=(const TfrmMain&) = delete;

    // Reads the settings, then brings up the configured flies, each top-most or not as the
    // settings say, handling the waiting messages after each. A close on the way ends it.
    void StartApp();
    // The close query: writes the settings, unless they are still being read. A failed write is
    // reported when the user closes, and passed over in silence when the session ends; neither
    // refuses the close.
    bool FormCloseQuery(bool sessionEnding = false);
    // Closes the main window, which ends the program.
    void Close();
    // The program is ending: the main window was closed or the session ended.
    bool Closed() const { return closed_; }

    UserSettings& Settings() { return *settings_; }
    MainWindow& Window() { return *window_; }
    MainFormEvents& Events() { return *this; }

    const std::string& Name() const override { return name_; }
    bool IsShowing() const override { return window_->IsVisible(); }
    void SetInputEnabled(bool enabled) override { window_->SetInputEnabled(enabled); }

  private:
    void OnCloseRequest() override;
    bool OnQueryEndSession() override;
    void OnEndSession(bool ending) override;
    void OnOkClick() override;
    void OnButton1Click() override;
    void OnHomePageClick() override;
    void OnMenuCommand(MenuCommand command) override;
    // Ends the message loop, and the start if it is still going on.
    void Terminate();

    Application& app_;
    std::string name_ = "frmMain";
    std::unique_ptr<SettingsStore> store_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<UserSettings> settings_;
    bool loading_ = false;  // LoadSettings is running (a box of its reports is open)
    bool closed_ = false;   // the program is ending
};

// The program: creates the application and its main window, starts the flies and runs the
// message loop. Returns the exit code.
int RunQuillop(Platform& platform, const SpriteSource& sprites);

}  // namespace quillop
