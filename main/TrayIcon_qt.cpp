#include "main/TrayIcon_qt.h"

#include <QAction>
#include <QIcon>
#include <QSystemTrayIcon>

#include "main/TrayMenu.h"

namespace quillop {

namespace {

// How often a desktop without a tray is asked again whether one has appeared.
constexpr int kTrayWatchMs = 1000;

}  // namespace

PopupMenu::PopupMenu(MainFormEvents*& events) : events_(events) {
    setObjectName("PopupMenu");
    connect(this, &QMenu::aboutToShow, this, [this] { Rebuild(); });
    Rebuild();
}

void PopupMenu::Rebuild() {
    clear();
    for (const ShownMenuLine& line : ShownMenuLines(PopupMenuEntries())) {
        if (line.Entry == nullptr) {
            addSeparator();
            continue;
        }
        const MenuEntry& entry = *line.Entry;
        QAction* action = addAction(QString::fromStdString(line.Caption));
        action->setObjectName(entry.Name);
        if (entry.IsDefault) {
            QFont bold = action->font();
            bold.setBold(true);
            action->setFont(bold);
            setDefaultAction(action);
        }
        const MenuCommand command = entry.Command;
        // NOTE: the command runs once the menu has closed, so "Exit" does not end the program
        // from inside the menu's own event handling.
        connect(
            action, &QAction::triggered, this,
            [this, command] {
                if (events_ != nullptr) {
                    events_->OnMenuCommand(command);
                }
            },
            Qt::QueuedConnection);
    }
}

TrayIcon::TrayIcon(MainFormEvents*& events, PopupMenu& menu) : events_(events), menu_(menu) {
    trayWatch_.setInterval(kTrayWatchMs);
    connect(&trayWatch_, &QTimer::timeout, this, [this] {
        if (Dock()) {
            trayWatch_.stop();
        }
    });
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::Add() {
    if (!Dock()) {
        // Without a tray the user could not reach the program, so its window opens now.
        ShowSettings();
        trayWatch_.start();
    }
}

void TrayIcon::Remove() {
    trayWatch_.stop();
    icon_.reset();
}

bool TrayIcon::Dock() {
    if (icon_ != nullptr) {
        return true;
    }
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return false;
    }
    icon_ = std::make_unique<QSystemTrayIcon>(QIcon(":/quillop/tray16.png"));
    icon_->setToolTip(QString::fromUtf8(kTrayIconTip));
    icon_->setContextMenu(&menu_);
    connect(icon_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick) {
                    ShowSettings();
                }
            });
    icon_->show();
    return true;
}

void TrayIcon::ShowSettings() {
    if (events_ != nullptr) {
        events_->OnMenuCommand(MenuCommand::Settings);
    }
}

}  // namespace quillop
