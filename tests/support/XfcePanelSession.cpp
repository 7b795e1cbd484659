#include "XfcePanelSession.h"

#include "StatusNotifierProbe.h"

#include <QDir>
#include <QFile>

namespace {

// One bottom panel: a task list, a stretching separator, the tray and a clock.
const char* const kPanelLayout = R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=8;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="32"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
        <value type="int" value="2"/>
        <value type="int" value="3"/>
        <value type="int" value="4"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="tasklist"/>
    <property name="plugin-2" type="string" value="separator">
      <property name="expand" type="bool" value="true"/>
    </property>
    <property name="plugin-3" type="string" value="systray"/>
    <property name="plugin-4" type="string" value="clock"/>
  </property>
</channel>
)";

DesktopSession::Options WithoutTint2() {
    DesktopSession::Options options;
    options.trayPanel = false;
    return options;
}

}  // namespace

XfcePanelSession::XfcePanelSession() : DesktopSession(WithoutTint2()) {}

XfcePanelSession::~XfcePanelSession() {
    // The panel before its bus; the X server goes last, with the desktop.
    panel.Stop();
    bus.Stop();
}

bool XfcePanelSession::WritePanelLayout() const {
    const QString folder = ConfigHome() + "/xfce4/xfconf/xfce-perchannel-xml";
    QFile file(folder + "/xfce4-panel.xml");
    return QDir().mkpath(folder) && file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(kPanelLayout) > 0;
}

bool XfcePanelSession::Start() {
    if (!DesktopSession::Start())
        return false;
    if (!bus.Start(Home().toStdString() + "/session-bus", Environment(),
                   Home().toStdString() + "/dbus-daemon.log"))
        return Fail("dbus-daemon did not start");
    AddEnvironment("DBUS_SESSION_BUS_ADDRESS", bus.Address());
    if (!WritePanelLayout())
        return Fail("cannot write the panel layout");
    panel = StartProgram({"xfce4-panel", "--disable-wm-check"});
    StatusNotifierProbe tray(bus.Address());
    if (!WaitFor([&] { return tray.HostRegistered(); }, std::chrono::seconds(30)))
        return Fail("the XFCE panel's tray did not register as a StatusNotifierItem host");
    return true;
}
