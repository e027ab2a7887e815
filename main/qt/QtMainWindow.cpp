#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>

#include <algorithm>

#include "clFly/ExternalNames.h"
#include "clFly/FlyDisplay.h"
#include "main/ExternalNames.h"
#include "main/MainForm.h"
#include "main/SettingsLayout.h"
#include "main/qt/QtCountField.h"
#include "main/qt/QtPlatform.h"

namespace quillop {

namespace {

// A place of the layout as Qt takes it; Qt scales it on denser screens.
QRect Rect(const Place& place) {
    return QRect(place.Left, place.Top, place.Width, place.Height);
}

// The link label `lbHomePage`: bold, underlined, in the link colour, with a hand cursor.
class HomePageLabel final : public QLabel {
  public:
    HomePageLabel(QWidget* parent, MainFormEvents& events)
        : QLabel(kHomePageCaption, parent), events_(events) {
        setObjectName("lbHomePage");
        QFont linkFont = font();
        linkFont.setBold(true);
        linkFont.setUnderline(true);
        setFont(linkFont);
        QPalette colours = palette();
        colours.setColor(QPalette::WindowText, colours.color(QPalette::Link));
        setPalette(colours);
        setCursor(Qt::PointingHandCursor);
    }

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
            events_.OnHomePageClick();
        }
    }

  private:
    MainFormEvents& events_;
};

// `frmMain`: a fixed dialog with a title and no buttons in its frame. Escape does nothing and
// any close is a close request of the main window.
class SettingsWindow final : public QDialog {
  public:
    SettingsWindow(MainFormEvents& events, QMenu& contextMenu)
        : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
          events_(events) {
        setObjectName("frmMain");
        setWindowTitle(QString::fromUtf8(kMainWindowCaption));
        QFont dialogFont;
        // The look of "MS Sans Serif" 8 pt: a narrow sans serif font of 11 pixels.
        dialogFont.setFamilies({"Liberation Sans", "Arimo", "Nimbus Sans", "Helvetica", "Arial"});
        dialogFont.setPixelSize(11);
        setFont(dialogFont);
        setFixedSize(Rect(kSettingsWindowPlace).size());
        move(Rect(kSettingsWindowPlace).topLeft());
        setContextMenuPolicy(Qt::CustomContextMenu);
        connect(this, &QWidget::customContextMenuRequested, this,
                [this, &contextMenu](const QPoint& at) { contextMenu.popup(mapToGlobal(at)); });
        Build();
    }

    QCheckBox* OnTop = nullptr;
    QCheckBox* Startup = nullptr;
    CountField* Count = nullptr;

    // Shows the window where it last stood, or brings it forward, with the keyboard focus.
    void ShowForward() {
        show();
        raise();
        activateWindow();
    }

  protected:
    void closeEvent(QCloseEvent* event) override {
        // The core decides whether the program ends; the window itself stays.
        event->ignore();
        events_.OnCloseRequest();
    }
    // There is no cancel button, so Escape does nothing.
    void reject() override {}

  private:
    // The controls, in the tab order Button1, chbOnTop, chbStartup, sedFly, bOK.
    void Build() {
        auto* button1 = new QPushButton(kButton1Caption, this);
        button1->setObjectName("Button1");
        button1->setGeometry(Rect(kButton1Place));
        connect(button1, &QPushButton::clicked, this, [this] { events_.OnButton1Click(); });

        auto* group = new QGroupBox(kGroupBoxCaption, this);
        group->setObjectName("GroupBox1");
        group->setGeometry(Rect(kGroupBoxPlace));
        OnTop = new QCheckBox(kOnTopCaption, group);
        OnTop->setObjectName("chbOnTop");
        OnTop->setGeometry(Rect(kOnTopPlace));
        OnTop->setChecked(kDefaultOnTop);
        Startup = new QCheckBox(kStartupCaption, group);
        Startup->setObjectName("chbStartup");
        Startup->setGeometry(Rect(kStartupPlace));
        Startup->setChecked(kDefaultStartup);
        auto* label = new QLabel(kLabel1Caption, group);
        label->setObjectName("Label1");
        // Like a label sized to its text, it grows when the font is wider than the original's.
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        const QSize text = label->sizeHint();
        label->setGeometry(kLabel1Place.Left, kLabel1Place.Top,
                           std::max(kLabel1Place.Width, text.width()),
                           std::max(kLabel1Place.Height, text.height()));
        Count = new CountField(group);
        Count->setGeometry(Rect(kCountPlace));

        auto* ok = new QPushButton(kOkCaption, this);
        ok->setObjectName("bOK");
        ok->setGeometry(Rect(kOkPlace));
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, this, [this] { events_.OnOkClick(); });

        auto* link = new HomePageLabel(this, events_);
        link->setGeometry(Rect(kHomePagePlace));

        setTabOrder(button1, OnTop);
        setTabOrder(OnTop, Startup);
        setTabOrder(Startup, &Count->Edit());
        setTabOrder(&Count->Edit(), ok);
        // The first activation gives the focus to the first control in the tab order.
        button1->setFocus();
    }

    MainFormEvents& events_;
};

class QtMainWindow final : public MainWindow, private SettingsControls {
  public:
    QtMainWindow(MainFormEvents& events, QMenu& contextMenu, const FlyDisplay& display)
        : window_(events, contextMenu), display_(display) {
        // NOTE: Qt names every window's class after the program when it creates the X window;
        // writing the property afterwards replaces that. Other programs find this one by its
        // instance name, and the desktop finds the program by the class.
        display_.NameWindow(NativeWindow(), kMainWindowClass, kX11Class);
    }

    void Show() override {
        // NOTE: Qt states only the frame's functions, which some window managers disregard
        // for the buttons. It keeps the states it finds on a window that is not yet mapped and
        // adds its own, so a state written before each show stays; the window manager drops
        // them when the window is hidden.
        if (!window_.isVisible()) {
            display_.PrepareDialog(NativeWindow());
        }
        window_.ShowForward();
    }
    void Hide() override { window_.hide(); }
    bool IsVisible() const override { return window_.isVisible(); }
    void SetInputEnabled(bool enabled) override { window_.setEnabled(enabled); }
    SettingsControls& Controls() override { return *this; }

  private:
    bool OnTopChecked() const override { return window_.OnTop->isChecked(); }
    void SetOnTopChecked(bool checked) override { window_.OnTop->setChecked(checked); }
    bool StartupChecked() const override { return window_.Startup->isChecked(); }
    void SetStartupChecked(bool checked) override { window_.Startup->setChecked(checked); }
    std::string CountText() const override { return window_.Count->Edit().text().toStdString(); }
    void SetCountText(const std::string& text) override {
        window_.Count->Edit().setText(QString::fromStdString(text));
    }

    // The settings window's native window, made now if Qt has not made it yet.
    std::uint64_t NativeWindow() const { return static_cast<std::uint64_t>(window_.winId()); }

    SettingsWindow window_;
    const FlyDisplay& display_;
};

}  // namespace

std::unique_ptr<MainWindow> CreateQtMainWindow(MainFormEvents& events, QMenu& contextMenu,
                                               const FlyDisplay& display) {
    return std::make_unique<QtMainWindow>(events, contextMenu, display);
}

}  // namespace quillop
