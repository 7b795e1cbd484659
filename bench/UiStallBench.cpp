// The longest stall of the user-interface thread over one run of the main window: the start,
// the start picture going to the tray and the start-up phrase, a timed reminder, Preferences
// opened and closed with OK, About opened, a click on its web link (with whatever opener the
// PATH holds: bench/ui-stall.sh puts one there that takes 30 s) and About closed with OK.
// A watchdog timer asks to run every 5 ms; its worst lateness in each step is how long the
// program could not answer. Run on a desktop: bench/ui-stall.sh.
#include "about/LinkLabel.h"
#include "content/PhraseStore.h"
#include "mainwnd/ReminderDlg.h"
#include "notifier/NotifierHost.h"
#include "platform/Clock.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWatchdogMs = 5;

class Watchdog {
public:
    Watchdog() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(kWatchdogMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
        m_clock.start();
        m_last = m_clock.elapsed();
        m_timer.start();
    }

    // From now on the lateness counts for this step.
    void Step(const char* name) { m_steps.push_back({name, 0}); }

    void Report() const {
        qint64 worst = 0;
        for (const auto& [name, lateness] : m_steps) {
            std::printf("%-28s %6lld ms\n", name.c_str(), static_cast<long long>(lateness));
            worst = std::max(worst, lateness);
        }
        std::printf("%-28s %6lld ms\n", "worst", static_cast<long long>(worst));
    }

private:
    void Tick() {
        const qint64 now = m_clock.elapsed();
        const qint64 lateness = now - m_last - kWatchdogMs;
        m_last = now;
        if (!m_steps.empty())
            m_steps.back().second = std::max(m_steps.back().second, lateness);
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    std::vector<std::pair<std::string, qint64>> m_steps;
};

// Runs the action that many milliseconds from now, from the event loop; modal dialogs keep
// the event loop, so an action set up before a dialog opens can end it.
void At(int ms, std::function<void()> action) {
    QTimer::singleShot(ms, Qt::PreciseTimer, std::move(action));
}

void AcceptActiveDialog() {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
        dialog->accept();
}

void ClickWebLink() {
    auto* dialog = QApplication::activeModalWidget();
    auto* link = dialog ? dialog->findChild<CLinkLabel*>("1010") : nullptr;
    if (link == nullptr) {
        std::fprintf(stderr, "no web link to click\n");
        return;
    }
    const QPointF inside(2, 2);
    const QPointF global = link->mapToGlobal(inside);
    QMouseEvent press(QEvent::MouseButtonPress, inside, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(link, &press);
    QCoreApplication::sendEvent(link, &release);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Brindlewax");
    QCoreApplication::setApplicationName("quietbell-ui-stall");
    QApplication::setQuitOnLastWindowClosed(false);
    // The clock starts four seconds before a reminder of the default interval.
    const QDateTime start = QDateTime::fromString("2024-03-14T10:09:56", Qt::ISODate);
    QElapsedTimer sinceStart;
    sinceStart.start();
    platform::Clock::SetSource([&] { return start.addMSecs(sinceStart.elapsed()); });
    CPhraseStore::SetSink([](const std::string& phrase, bool rightToLeft) {
        CNotifierHost::GetInstance()->ShowPhrase(phrase, rightToLeft);
    });

    Watchdog watchdog;
    std::unique_ptr<CReminderDlg> dlg;
    At(0, [&] {
        watchdog.Step("start");
        dlg = std::make_unique<CReminderDlg>();
        dlg->OnInitDialog();
        dlg->show();
    });
    At(3500, [&] { watchdog.Step("reminder at 10:10:00"); });
    At(8000, [&] {
        watchdog.Step("Preferences open");
        At(1000, [&] {
            watchdog.Step("Preferences OK");
            AcceptActiveDialog();
        });
        dlg->ShowPreferences();
    });
    At(10500, [&] {
        watchdog.Step("About open");
        At(1000, [&] {
            watchdog.Step("link click");
            ClickWebLink();
        });
        At(2500, [&] {
            watchdog.Step("About OK");
            AcceptActiveDialog();
        });
        dlg->ShowAbout();
    });
    At(15000, [&] {
        dlg->close();
        QCoreApplication::quit();
    });
    app.exec();
    dlg.reset();
    watchdog.Report();
    return 0;
}
