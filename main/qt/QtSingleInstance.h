// One program per user and display: a later start hands over to the one already running.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace quillop {

// Makes FOLDER (0700) when missing. Empty when it is then a folder of this user in which nobody
// else may write; otherwise why it may not be used, naming it.
QString PrivateFolderProblem(const QString& folder);

// The program's lock and local socket for this user and the X display in $DISPLAY.
class SingleInstance final {
  public:
    SingleInstance();
    // The exit code when this start ends here: 0 once the program that holds the lock has been
    // asked to bring its settings window forward, 1 when it does not answer. Empty when this
    // program runs: it holds the lock and takes the later starts, or it runs alone, said on
    // stderr, when no private folder or lock can be had.
    std::optional<int> Claim();
    // What a later start asks for: the settings window.
    void OnLaterStart(std::function<void()> onStart) { onStart_ = std::move(onStart); }

  private:
    // Asks the program that listens on the socket to bring its settings forward; false when
    // none answers.
    bool AskRunning() const;
    // Takes the socket for the later starts, once the lock is held.
    void Listen();

    QString name_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
    std::function<void()> onStart_;
};

}  // namespace quillop
