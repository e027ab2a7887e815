#include "main/MainForm.h"

namespace quillop {

const char* const kMainWindowClass = "TfrmMain";
const char* const kMainWindowCaption = "Quillop 1.1";

TfrmMain::TfrmMain(Application& app)
    : app_(app),
      settings_(std::make_unique<PlainUserSettings>()),
      store_(app.System().CreateSettingsStore()),
      window_(app.System().CreateMainWindow(*this)) {}

void TfrmMain::StartApp() {
    if (store_) {
        LoadSettings(*store_, *settings_,
                     [this](const Failure& failure) { app_.ShowFailure(failure.what()); });
    }
    const int flies = settings_->Flies();
    for (int i = 0; i < flies; ++i) {
        if (TFlyForm* fly = app_.CreateFly()) {
            fly->SetOnTop(settings_->OnTop());
        }
        app_.System().ProcessMessages();
    }
}

bool TfrmMain::FormCloseQuery(bool sessionEnding) {
    if (!store_) {
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
        app_.System().Terminate();
    }
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
        app_.System().Terminate();
    }
}

int RunQuillop(Platform& platform, const SpriteSource& sprites) {
    Application app(platform, sprites);
    auto& mainForm = static_cast<TfrmMain&>(app.Own(std::make_unique<TfrmMain>(app)));
    try {
        mainForm.StartApp();
    } catch (const std::exception& failure) {
        platform.ReportStartupFailure(failure);
        return 1;
    }
    platform.RunMessageLoop();
    app.DestroyAll();
    return 0;
}

}  // namespace quillop
