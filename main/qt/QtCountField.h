// The settings window's fly-count field `sedFly`: an edit with up and down buttons that follows
// the count field's rules rather than a spin box's own validation.
#pragma once

#include <QLineEdit>
#include <QWidget>

class QToolButton;

namespace quillop {

// The edit part: refuses characters with a beep, steps on the arrow keys and clamps only when
// the focus moves to another control of the window.
class CountEdit final : public QLineEdit {
  public:
    explicit CountEdit(QWidget* parent);
    // Sets the text one step up (+1) or down (-1) from the read value.
    void Step(int step);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

// The edit and its two buttons, in the count field's place; the focus goes to the edit.
class CountField final : public QWidget {
  public:
    explicit CountField(QWidget* parent);
    CountEdit& Edit() { return *edit_; }

  private:
    CountEdit* edit_;
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace quillop
