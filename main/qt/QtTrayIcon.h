// The notification-area icon "Vantrel" and its menu `PopupMenu`, which is also the settings
// window's context menu.
#pragma once

#include <QElapsedTimer>
#include <QMenu>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

#include "clFly/DoubleClick.h"
#include "main/Platform.h"

class QSystemTrayIcon;

namespace quillop {

// The menu built from the core's entries; its captions and access keys are worked out each
// time it opens. Its commands go to the main window's logic.
class PopupMenu final : public QMenu {
  public:
    explicit PopupMenu(MainFormEvents*& events);

  private:
    // Fills the menu anew: entries, separators, access keys, "Settings" bold as the default.
    void Rebuild();

    MainFormEvents*& events_;
};

// The tray icon. Where no tray is available, the settings window is shown instead, and the
// icon is added once a tray appears.
class TrayIcon final : public QObject {
  public:
    // `trayPresent` tells whether a tray is there to dock in.
    TrayIcon(MainFormEvents*& events, PopupMenu& menu, std::function<bool()> trayPresent);
    ~TrayIcon() override;
    void Add();
    void Remove();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Docks the icon; false while there is no tray to dock in.
    bool Dock();
    void ShowSettings();

    MainFormEvents*& events_;
    PopupMenu& menu_;
    std::function<bool()> trayPresent_;
    std::unique_ptr<QSystemTrayIcon> icon_;
    QTimer trayWatch_;
    // Pairs the single activations of a tray that reports no double click of its own.
    DoubleClick activations_;
    QElapsedTimer clock_;
};

}  // namespace quillop
