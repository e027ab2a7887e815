#include <xcb/xcb.h>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QWidget>

#include "main/MainForm.h"
#include "main/Platform_qt.h"

namespace quillop {

namespace {

// The hidden top-level widget; a close of it is a close request of the main window.
class MainWidget final : public QWidget {
  public:
    explicit MainWidget(MainFormEvents& events) : events_(events) {}

  protected:
    void closeEvent(QCloseEvent* event) override {
        // The core decides whether the program ends; the widget itself stays.
        event->ignore();
        events_.OnCloseRequest();
    }

  private:
    MainFormEvents& events_;
};

class QtMainWindow final : public MainWindow {
  public:
    explicit QtMainWindow(MainFormEvents& events) : widget_(events) {
        widget_.setWindowTitle(QString::fromUtf8(kMainWindowCaption));
        SetWindowClass();
    }

    void Show() override { widget_.show(); }
    void Hide() override { widget_.hide(); }
    bool IsVisible() const override { return widget_.isVisible(); }
    void SetInputEnabled(bool enabled) override { widget_.setEnabled(enabled); }

  private:
    // Names the X window's class "TfrmMain", by which other programs find it.
    void SetWindowClass() {
        auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        if (x11 == nullptr) {
            return;
        }
        // NOTE: Qt names every window's class after the program when it creates the X window;
        // writing the property afterwards replaces that.
        const auto window = static_cast<xcb_window_t>(widget_.winId());
        const std::string wmClass = std::string(kMainWindowClass) + '\0' + kMainWindowClass + '\0';
        xcb_change_property(x11->connection(), XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS,
                            XCB_ATOM_STRING, 8, static_cast<std::uint32_t>(wmClass.size()),
                            wmClass.data());
        xcb_flush(x11->connection());
    }

    MainWidget widget_;
};

}  // namespace

std::unique_ptr<MainWindow> CreateQtMainWindow(MainFormEvents& events) {
    return std::make_unique<QtMainWindow>(events);
}

}  // namespace quillop
