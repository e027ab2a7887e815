#include "main/MainForm.h"

#include "main/CountField.h"
#include "main/Population.h"
#include "main/SettingsLayout.h"

#ifndef QUILLOP_HOME_PAGE
#error "QUILLOP_HOME_PAGE names the maker's home page"
#endif

namespace quillop {

const char* const kHomePageAddress = QUILLOP_HOME_PAGE;
const char* const kButton1Caption = "Button1";
const char* const kGroupBoxCaption = " Settings ";
const char* const kOnTopCaption = "Always on top";
const char* const kStartupCaption = "Load on startup";
const char* const kLabel1Caption = "Number of flies at start";
const char* const kOkCaption = "OK";
const char* const kHomePageCaption = "More fun program...";

TfrmMain::TfrmMain(Application& app)
    : app_(app),
      store_(app.System().CreateSettingsStore()),
      window_(app.System().CreateMainWindow(*this)),
      settings_(std::make_unique<ControlUserSettings>(window_->Controls())) {}

void TfrmMain::StartApp() {
    if (store_) {
        // A report's box runs the message loop, so an exit may come while the settings are
        // half read; once it has, the reports that remain have nobody to read them.
        loading_ = true;
        LoadSettings(*store_, *settings_, [this](const Failure& failure) {
            if (!closed_) {
                app_.ShowFailure(failure.what());
            }
        });
        loading_ = false;
    }
    if (closed_) {
        return;
    }
    app_.System().AddTrayIcon();
    const int flies = settings_->Flies();
    for (int i = 0; i < flies && !closed_; ++i) {
        if (TFlyForm* fly = app_.CreateFly()) {
            fly->SetOnTop(settings_->OnTop());
        }
        app_.System().ProcessMessages();
    }
}

bool TfrmMain::FormCloseQuery(bool sessionEnding) {
    app_.System().RemoveTrayIcon();
    // Settings still being read are partly defaults: writing them would put those over stored
    // values, so a close before the end of the reading leaves the store as it is.
    if (!store_ || loading_) {
        return true;
    }
    try {
        SaveSettings(*store_, *settings_);
    } catch (const Failure& failure) {
        if (!sessionEnding) {
            app_.ShowFailure(failure.what());
        }
    }
    return true;
}

void TfrmMain::Close() {
    if (FormCloseQuery()) {
        Terminate();
    }
}

void TfrmMain::Terminate() {
    closed_ = true;
    app_.System().Terminate();
}

void TfrmMain::OnCloseRequest() {
    app_.Guarded([this] { Close(); });
}

bool TfrmMain::OnQueryEndSession() {
    bool allowed = true;
    app_.Guarded([&] { allowed = FormCloseQuery(true); });
    return allowed;
}

void TfrmMain::OnEndSession(bool ending) {
    if (ending) {
        Terminate();
    }
}

void TfrmMain::OnOkClick() {
    app_.Guarded([this] {
        SetFliesOnTop(app_, settings_->OnTop());
        window_->Hide();
    });
}

void TfrmMain::OnButton1Click() {
    app_.Guarded([this] { AddFlies(app_, 1); });
}

void TfrmMain::OnHomePageClick() {
    app_.Guarded([this] { app_.System().OpenWebPage(kHomePageAddress); });
}

void TfrmMain::OnMenuCommand(MenuCommand command) {
    app_.Guarded([&] {
        switch (command) {
            case MenuCommand::Settings:
                window_->Show();
                break;
            case MenuCommand::AddFly:
                AddFlies(app_, 1);
                break;
            case MenuCommand::AddFiveFlies:
                AddFlies(app_, 5);
                break;
            case MenuCommand::CloseAllFlies:
                CloseAllFlies(app_);
                break;
            case MenuCommand::About:
                app_.System().OpenWebPage(kHomePageAddress);
                break;
            case MenuCommand::Exit:
                Close();
                break;
            case MenuCommand::None:
                break;
        }
    });
}

int RunQuillop(Platform& platform, const SpriteSource& sprites) {
    Application app(platform, sprites);
    // Every failure of the start, from the main window on, ends here, on every platform.
    TfrmMain* mainForm = nullptr;
    try {
        mainForm = &static_cast<TfrmMain&>(app.Own(std::make_unique<TfrmMain>(app)));
        mainForm->StartApp();
    } catch (const std::exception& failure) {
        platform.ReportStartupFailure(failure);
        return 1;
    }
    // A close during the start has ended the program already, whether or not the modal loop it
    // came through left the quit message waiting.
    if (!mainForm->Closed()) {
        platform.RunMessageLoop();
    }
    app.DestroyAll();
    return 0;
}

}  // namespace quillop
