#include "main/qt/QtTrayIcon.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QMouseEvent>
#include <QStyleHints>
#include <QSystemTrayIcon>

#include "main/ExternalNames.h"
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
    const std::vector<ShownMenuLine> lines = ShownMenuLines(PopupMenuEntries());
    // NOTE: a StatusNotifierItem host may keep the layout it read before the menu opened and
    // send the ids it read then; the ids are the actions', so the same entries keep theirs and
    // only their captions are renewed.
    const QList<QAction*> shown = actions();
    bool same = shown.size() == static_cast<qsizetype>(lines.size());
    for (qsizetype i = 0; same && i < shown.size(); ++i) {
        const MenuEntry* entry = lines[static_cast<std::size_t>(i)].Entry;
        same = entry == nullptr ? shown[i]->isSeparator() : shown[i]->objectName() == entry->Name;
    }
    if (same) {
        for (qsizetype i = 0; i < shown.size(); ++i) {
            if (!shown[i]->isSeparator()) {
                shown[i]->setText(
                    QString::fromStdString(lines[static_cast<std::size_t>(i)].Caption));
            }
        }
        return;
    }
    clear();
    for (const ShownMenuLine& line : lines) {
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

TrayIcon::TrayIcon(MainFormEvents*& events, PopupMenu& menu, std::function<bool()> trayPresent)
    : events_(events),
      menu_(menu),
      trayPresent_(std::move(trayPresent)),
      activations_({QGuiApplication::styleHints()->mouseDoubleClickInterval(), 0}) {
    clock_.start();
    trayWatch_.setInterval(kTrayWatchMs);
    connect(&trayWatch_, &QTimer::timeout, this, [this] {
        if (Dock()) {
            trayWatch_.stop();
        }
    });
}

TrayIcon::~TrayIcon() = default;

// NOTE: Qt takes a second press of a button soon after the first for a double click, even when
// the first press opened a menu that now has the pointer grabbed. Over the tray icon, a second
// right press so closed the menu the first one opened, or reached the icon as a double click,
// and no menu opened. A double click of any other button than the left one over the icon is
// therefore taken for a press: the right button opens the menu anew, and only the left
// button's double click reaches the icon and shows the settings window.
// NOTE: the menu opens under the pointer and may cover the icon. A second right click that
// comes too late for a double click then reaches the menu itself, and its release would choose
// the entry under the pointer ("Settings", at the menu's top). A right click over the icon
// opens the menu anew instead, whichever window has the pointer.
bool TrayIcon::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (icon_ == nullptr ||
        (type != QEvent::MouseButtonDblClick && type != QEvent::MouseButtonPress &&
         type != QEvent::MouseButtonRelease)) {
        return QObject::eventFilter(watched, event);
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint at = mouse->globalPosition().toPoint();
    if (mouse->button() == Qt::LeftButton || !icon_->geometry().contains(at)) {
        return QObject::eventFilter(watched, event);
    }
    if (type != QEvent::MouseButtonDblClick && watched != &menu_) {
        return QObject::eventFilter(watched, event);  // a press on the icon opens the menu
    }
    if (mouse->button() == Qt::RightButton && type != QEvent::MouseButtonRelease) {
        menu_.hide();
        menu_.popup(at);
    }
    return true;
}

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
    // NOTE: Qt decides once per process, at its first look, whether it docks through D-Bus
    // (StatusNotifierItem) or XEmbed. Asked before a panel's tray has come up, it would never
    // use that tray, so it is asked only once a tray of either kind is there.
    if (!trayPresent_() || !QSystemTrayIcon::isSystemTrayAvailable()) {
        return false;
    }
    // Every size of the picture, so that the tray takes the one drawn for its own size.
    QIcon picture;
    for (const QString& file : QDir(":/quillop").entryList({"tray*.png"})) {
        picture.addFile(":/quillop/" + file);
    }
    icon_ = std::make_unique<QSystemTrayIcon>(picture);
    icon_->setToolTip(QString::fromUtf8(kTrayIconTip));
    icon_->setContextMenu(&menu_);
    qApp->installEventFilter(this);
    connect(icon_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // NOTE: an XEmbed tray's double click comes as DoubleClick; a StatusNotifierItem
                // tray sends one activation per click, which Qt reports as Trigger, so two of
                // those soon after each other are the double click.
                constexpr std::uint32_t kIcon = 1;
                const auto now = static_cast<std::uint32_t>(clock_.elapsed());
                if (reason == QSystemTrayIcon::DoubleClick ||
                    (reason == QSystemTrayIcon::Trigger && activations_.Press(kIcon, now, 0, 0))) {
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
