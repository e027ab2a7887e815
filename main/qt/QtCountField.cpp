#include "main/qt/QtCountField.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QToolButton>

#include "main/CountField.h"
#include "main/SettingsLayout.h"
#include "main/UserSettings.h"

namespace quillop {

namespace {

constexpr int kFieldWidth = kCountPlace.Width;
constexpr int kFieldHeight = kCountPlace.Height;
constexpr int kButtonWidth = 15;

// The locale's decimal separator as one character.
char32_t DecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? U'.' : point.toUcs4().value(0, U'.');
}

QToolButton* StepButton(QWidget* parent, Qt::ArrowType arrow, int top, int height) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(true);
    button->setAutoRepeatDelay(kCountRepeatDelayMs);
    button->setAutoRepeatInterval(kCountRepeatIntervalMs);
    button->setGeometry(kFieldWidth - kButtonWidth, top, kButtonWidth, height);
    return button;
}

}  // namespace

CountEdit::CountEdit(QWidget* parent) : QLineEdit(parent) {
    setObjectName("sedFly");
    setText(QString::fromStdString(CountFieldText(kDefaultFlies)));
}

void CountEdit::Step(int step) {
    setText(QString::fromStdString(CountFieldStep(text().toStdString(), step)));
}

// Arrow keys step; typed characters outside the field's set are dropped with a beep; Enter is
// left to the window, which presses its default button.
void CountEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        Step(event->key() == Qt::Key_Up ? 1 : -1);
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    const char32_t separator = DecimalSeparator();
    for (const char32_t typed : event->text().toUcs4()) {
        if (!CountFieldAccepts(typed, separator)) {
            QApplication::beep();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

// Clamps the value only when the focus moves to another control of the window. Hiding and
// deactivation take the focus to no widget or to another window, and a menu opened over the
// window leaves it on the field, so they keep a typed value as it is.
void CountEdit::focusOutEvent(QFocusEvent* event) {
    const QWidget* gaining = QApplication::focusWidget();
    if (gaining != nullptr && gaining != this && gaining->window() == window()) {
        const std::string shown = text().toStdString();
        const std::string clamped = CountFieldOnExit(shown);
        if (clamped != shown) {
            setText(QString::fromStdString(clamped));
        }
    }
    QLineEdit::focusOutEvent(event);
}

CountField::CountField(QWidget* parent)
    : QWidget(parent),
      edit_(new CountEdit(this)),
      up_(StepButton(this, Qt::UpArrow, 0, kFieldHeight / 2)),
      down_(StepButton(this, Qt::DownArrow, kFieldHeight / 2, kFieldHeight - kFieldHeight / 2)) {
    resize(kFieldWidth, kFieldHeight);
    edit_->setGeometry(0, 0, kFieldWidth - kButtonWidth, kFieldHeight);
    setFocusProxy(edit_);
    connect(up_, &QToolButton::clicked, edit_, [this] { edit_->Step(1); });
    connect(down_, &QToolButton::clicked, edit_, [this] { edit_->Step(-1); });
}

}  // namespace quillop
