// One program per user and display: a later start hands over to the one already running.
#pragma once

#include <QLocalServer>
#include <QString>
#include <functional>

namespace quillop {

// The program's local socket for this user and the X display in $DISPLAY.
class SingleInstance final {
  public:
    SingleInstance();
    // True when this user's program already runs on the display; it has been asked to bring
    // its settings window forward. Otherwise this program takes the later starts (or runs
    // alone, when its socket cannot be made).
    bool Claim();
    // What a later start asks for: the settings window.
    void OnLaterStart(std::function<void()> onStart) { onStart_ = std::move(onStart); }

  private:
    // Asks the program that holds the socket to bring its settings forward; false when none
    // answers.
    bool AskRunning() const;

    QString name_;
    QLocalServer server_;
    std::function<void()> onStart_;
};

}  // namespace quillop
