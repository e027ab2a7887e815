#include "main/MainForm.h"

namespace quillop {

const char* const kMainWindowClass = "TfrmMain";
const char* const kMainWindowCaption = "Quillop 1.1";

TfrmMain::TfrmMain(Application& app)
    : app_(app),
      settings_(std::make_unique<PlainUserSettings>()),
      window_(app.System().CreateMainWindow(*this)) {}

void TfrmMain::StartApp() {
    const int flies = settings_->Flies();
    for (int i = 0; i < flies; ++i) {
        if (TFlyForm* fly = app_.CreateFly()) {
            fly->SetOnTop(settings_->OnTop());
        }
        app_.System().ProcessMessages();
    }
}

bool TfrmMain::FormCloseQuery() {
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
    app_.Guarded([&] { allowed = FormCloseQuery(); });
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
