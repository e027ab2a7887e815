// How requests from outside the program (signals, the tray, the session's end, a later start)
// reach the main form's logic, and stop reaching it once its window is gone.
#pragma once

#include <QObject>

#include <memory>

#include "main/Platform.h"

namespace quillop {

class FormLink final : public QObject {
  public:
    // Turns Qt's quit (the session's end) into OnEndSession, and the session manager's question
    // into OnQueryEndSession.
    FormLink();
    ~FormLink() override;
    FormLink(const FormLink&) = delete;
    FormLink& operator=(const FormLink&) = delete;

    // The main form's events, or nullptr while there is no main window.
    MainFormEvents*& Events() { return events_; }
    // Links the main window made for `events`: the events are reached until it is destroyed.
    std::unique_ptr<MainWindow> Link(std::unique_ptr<MainWindow> window, MainFormEvents& events);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    MainFormEvents* events_ = nullptr;
};

}  // namespace quillop
