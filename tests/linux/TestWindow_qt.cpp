// A plain coloured native window for the end-to-end tests on Wayland desktops: whatever the
// compositor gives it (sway tiles a lone window over the workspace's usable area), filled with
// one colour, logging every button press that reaches it, so that a test can tell whether a
// click passed through a fly drawn above it.
//
// Usage: QT_QPA_PLATFORM=wayland quillop_testwindow_qt RRGGBB LOG
// Appends "size WIDTH HEIGHT" (logical pixels) at every new size and "X Y BUTTON" for each
// press, in the window's own logical pixels (BUTTON is 1 for the left, 2 middle, 3 right).
#include <QApplication>
#include <QColor>
#include <QFile>
#include <QMouseEvent>
#include <QPalette>
#include <QResizeEvent>
#include <QTextStream>
#include <QWidget>

#include <cstdio>

namespace {

class ClickLog final : public QWidget {
  public:
    ClickLog(const QColor& colour, const QString& path) : log_(path) {
        QPalette palette;
        palette.setColor(QPalette::Window, colour);
        setPalette(palette);
        setAutoFillBackground(true);
        setWindowTitle("quillop test window");
        if (!log_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            std::exit(1);
        }
    }

  protected:
    void resizeEvent(QResizeEvent* event) override {
        Write(QString("size %1 %2").arg(event->size().width()).arg(event->size().height()));
    }

    void mousePressEvent(QMouseEvent* event) override {
        const QPoint at = event->position().toPoint();
        const int button = event->button() == Qt::LeftButton     ? 1
                           : event->button() == Qt::MiddleButton ? 2
                           : event->button() == Qt::RightButton  ? 3
                                                                 : 0;
        Write(QString("%1 %2 %3").arg(at.x()).arg(at.y()).arg(button));
    }

  private:
    // One line, on disk at once.
    void Write(const QString& line) {
        QTextStream(&log_) << line << '\n';
        log_.flush();
    }

    QFile log_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const QColor colour(QString("#") + arguments.value(1));
    if (arguments.size() != 3 || !colour.isValid()) {
        std::fprintf(stderr, "usage: %s RRGGBB LOG\n", argv[0]);
        return 2;
    }
    // sway's rules and tree name the window by this.
    QApplication::setDesktopFileName("quillop-testwindow");
    ClickLog window(colour, arguments.at(2));
    window.resize(400, 300);
    window.show();
    return app.exec();
}
