// A panel's StatusNotifierItem tray as the session bus shows it: the watcher, with its host
// registered. Prints "ready" once it owns the watcher's name, then "item SERVICE" for each item
// that registers. `activate SERVICE COUNT` instead clicks an item COUNT times at once, as the
// tray does on each left click; `menu SERVICE LABEL` chooses the entry LABEL of the item's
// menu, as the tray does when the user opens the menu and clicks the entry.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QStringList>

#include <cstdio>

namespace {

constexpr char kWatcher[] = "org.kde.StatusNotifierWatcher";

class Watcher final : public QDBusVirtualObject {
  public:
    QString introspect(const QString&) const override {
        return R"(<interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
  <signal name="StatusNotifierHostRegistered"/>
</interface>)";
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        const QString member = message.member();
        const QVariantList args = message.arguments();
        if (message.interface() == "org.freedesktop.DBus.Properties") {
            const QVariantMap properties{
                {"RegisteredStatusNotifierItems", items_},
                {"IsStatusNotifierHostRegistered", true},
                {"ProtocolVersion", 0},
            };
            if (member == "Get" && args.size() == 2) {
                bus.send(message.createReply(
                    QVariant::fromValue(QDBusVariant(properties.value(args[1].toString())))));
            } else if (member == "GetAll") {
                bus.send(message.createReply(properties));
            } else {
                return false;
            }
            return true;
        }
        if (member == "RegisterStatusNotifierItem" && args.size() == 1) {
            // An item names its bus name, or only its object path on the caller's name.
            QString service = args[0].toString();
            if (service.startsWith('/')) {
                service = message.service() + service;
            }
            items_ << service;
            std::printf("item %s\n", qPrintable(service));
            std::fflush(stdout);
            bus.send(message.createReply());
            QDBusMessage registered = QDBusMessage::createSignal("/StatusNotifierWatcher", kWatcher,
                                                                 "StatusNotifierItemRegistered");
            registered << service;
            bus.send(registered);
            return true;
        }
        if (member == "RegisterStatusNotifierHost") {
            bus.send(message.createReply());
            return true;
        }
        return false;
    }

  private:
    QStringList items_;
};

}  // namespace

// Sends COUNT activations to an item back to back and waits for the answers.
int Activate(const QString& service, int count) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    QList<QDBusPendingCall> calls;
    for (int i = 0; i < count; ++i) {
        QDBusMessage activate = QDBusMessage::createMethodCall(
            service, "/StatusNotifierItem", "org.kde.StatusNotifierItem", "Activate");
        activate << 0 << 0;
        calls << bus.asyncCall(activate);
    }
    for (QDBusPendingCall& call : calls) {
        call.waitForFinished();
        if (call.isError()) {
            std::fprintf(stderr, "Activate: %s\n", qPrintable(call.error().message()));
            return 1;
        }
    }
    return 0;
}

// The id of the entry LABEL in a menu's layout (id, properties, children), or -1. The label's
// underscores, which mark its access key, do not count.
int FindEntry(const QDBusArgument& layout, const QString& label) {
    int id = -1;
    QVariantMap properties;
    int found = -1;
    layout.beginStructure();
    layout >> id >> properties;
    if (properties.value("label").toString().remove('_') == label) {
        found = id;
    }
    layout.beginArray();
    while (!layout.atEnd()) {
        QDBusVariant child;
        layout >> child;
        const int inChild = FindEntry(child.variant().value<QDBusArgument>(), label);
        if (found < 0) {
            found = inChild;
        }
    }
    layout.endArray();
    layout.endStructure();
    return found;
}

// Clicks the entry LABEL of the item's menu as a host that keeps the layout it read does: the
// entries are read, the menu is told it is about to show, and the id read before is clicked.
int ChooseFromMenu(const QString& service, const QString& label) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusMessage get = QDBusMessage::createMethodCall(service, "/StatusNotifierItem",
                                                      "org.freedesktop.DBus.Properties", "Get");
    get << QString("org.kde.StatusNotifierItem") << QString("Menu");
    const QDBusMessage menuPath = bus.call(get);
    if (menuPath.type() != QDBusMessage::ReplyMessage) {
        std::fprintf(stderr, "Menu: %s\n", qPrintable(menuPath.errorMessage()));
        return 1;
    }
    const QString path =
        menuPath.arguments()[0].value<QDBusVariant>().variant().value<QDBusObjectPath>().path();
    const auto menuCall = [&](const char* method, const QVariantList& arguments) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(service, path, "com.canonical.dbusmenu", method);
        call.setArguments(arguments);
        return bus.call(call);
    };
    const QDBusMessage layout = menuCall("GetLayout", {0, -1, QStringList{"label"}});
    if (layout.type() != QDBusMessage::ReplyMessage || layout.arguments().size() != 2) {
        std::fprintf(stderr, "GetLayout: %s\n", qPrintable(layout.errorMessage()));
        return 1;
    }
    const int id = FindEntry(layout.arguments()[1].value<QDBusArgument>(), label);
    if (id < 0) {
        std::fprintf(stderr, "the menu at %s has no entry \"%s\"\n", qPrintable(path),
                     qPrintable(label));
        return 1;
    }
    menuCall("AboutToShow", {0});
    const QDBusMessage clicked =
        menuCall("Event", {id, QString("clicked"), QVariant::fromValue(QDBusVariant(0)), 0U});
    if (clicked.type() != QDBusMessage::ReplyMessage) {
        std::fprintf(stderr, "Event: %s\n", qPrintable(clicked.errorMessage()));
        return 1;
    }
    return 0;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && QString(argv[1]) == "activate") {
        return Activate(argv[2], QString(argv[3]).toInt());
    }
    if (argc == 4 && QString(argv[1]) == "menu") {
        return ChooseFromMenu(argv[2], argv[3]);
    }
    Watcher watcher;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject("/StatusNotifierWatcher", &watcher) ||
        !bus.registerService(kWatcher)) {
        std::fprintf(stderr, "cannot own %s on the session bus\n", kWatcher);
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
