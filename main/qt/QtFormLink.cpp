#include "main/qt/QtFormLink.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QSessionManager>

#include <utility>

namespace quillop {

namespace {

// The main window as the platform hands it out: once it is gone, the platform's signals, tray
// and session no longer reach the events of the main form it belonged to.
class LinkedMainWindow final : public MainWindow {
  public:
    LinkedMainWindow(std::unique_ptr<MainWindow> window, MainFormEvents*& events)
        : window_(std::move(window)), events_(events) {}
    ~LinkedMainWindow() override { events_ = nullptr; }
    LinkedMainWindow(const LinkedMainWindow&) = delete;
    LinkedMainWindow& operator=(const LinkedMainWindow&) = delete;
    void Show() override { window_->Show(); }
    void Hide() override { window_->Hide(); }
    bool IsVisible() const override { return window_->IsVisible(); }
    void SetInputEnabled(bool enabled) override { window_->SetInputEnabled(enabled); }
    SettingsControls& Controls() override { return window_->Controls(); }

  private:
    std::unique_ptr<MainWindow> window_;
    MainFormEvents*& events_;
};

}  // namespace

FormLink::FormLink() {
    qApp->installEventFilter(this);
#if QT_CONFIG(sessionmanager)
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, this,
                     [this](QSessionManager& manager) {
                         if (events_ != nullptr && !events_->OnQueryEndSession()) {
                             manager.cancel();
                         }
                     });
#endif
}

FormLink::~FormLink() {
    qApp->removeEventFilter(this);
}

std::unique_ptr<MainWindow> FormLink::Link(std::unique_ptr<MainWindow> window,
                                           MainFormEvents& events) {
    auto linked = std::make_unique<LinkedMainWindow>(std::move(window), events_);
    events_ = &events;
    return linked;
}

bool FormLink::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::Quit && events_ != nullptr) {
        events_->OnEndSession(true);
        return true;
    }
    return false;
}

}  // namespace quillop
