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
    // its settings window forward.
    bool AskRunning() const;
    // Listens for later starts, running `onStart` for each. False when the socket cannot be
    // made; the program then runs alone, as before.
    bool Serve(std::function<void()> onStart);

  private:
    QString name_;
    QLocalServer server_;
};

}  // namespace quillop
